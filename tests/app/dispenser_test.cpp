// Faults for the next messages and the record queue: what the line carries
// for each kind, for exactly the messages named, then the boxes again.
#include <gtest/gtest.h>

#include "app/console_commands.h"
#include "app/dispenser.h"
#include "session_fixture.h"

namespace tapix {
namespace {

struct Dispenser : ::testing::Test, testing::SessionFixture {
  // The bytes the message drew from the dispenser side.
  std::string Answer(const std::string& message) {
    device->written_.clear();
    Receive(message);
    return device->written_;
  }
  void Command(const char* line) { ASSERT_FALSE(ExecuteCommandLine(session, line).empty()) << line; }
};

TEST_F(Dispenser, FaultsAnswerTheNextMessagesThenTheBoxesAgain) {
  Command("answer next F count 2");
  Command("answer next none");
  EXPECT_EQ(Answer("R"), "");  // an answer gets no answer and uses up no fault
  EXPECT_EQ(Answer("A005"), "F");
  EXPECT_EQ(Answer("B007"), "F");
  EXPECT_EQ(Answer("C000"), "");
  EXPECT_EQ(Answer("A005"), "R");
  EXPECT_TRUE(session.faults.Empty());
}

TEST_F(Dispenser, RAndFFollowTheUnitsAndStandInForTheRecord) {
  session.options.CreditQuantity = 1;
  session.options.AnswerOk = 0;
  Command("answer next R");
  EXPECT_EQ(Answer("S00020123"), "RR");
  session.options.AnswerOk = 1;
  Command("answer next F");
  EXPECT_EQ(Answer("S00020123"), "ff");
  Command("answer next F");
  Command("records 12 345 7");
  EXPECT_EQ(Answer("E"), "F");  // the record error instead of a record
  EXPECT_EQ(Answer("E"), "120345007");  // the queued record was not used up
}

TEST_F(Dispenser, AFaultAnswersEvenWithoutAutoAnswer) {
  session.options.AutoAnswer = 0;
  Command("answer next R");
  EXPECT_EQ(Answer("A005"), "R");
  EXPECT_EQ(Answer("A005"), "");
}

TEST_F(Dispenser, BadCheckSpoilsOnlyACheckCharacterThatExists) {
  Command("answer next bad-check count 3");
  EXPECT_EQ(Answer("A005"), "R");           // an acknowledgement carries none
  EXPECT_EQ(Answer("E"), "000000000");      // Checksum off: the record carries none
  session.options.Checksum = 1;
  Command("records 12 345 7");
  EXPECT_EQ(Answer("E"), "1203450077");     // '6' is right
  EXPECT_EQ(Answer("E"), "0000000000");     // the boxes again: '0' is right
  session.options.Waiter3 = 1;
  Command("answer next bad-check");
  // Ten zeros: the right check character is 0 and does not go out.
  EXPECT_EQ(Answer("E"), std::string("0000000000\x01"));
}

TEST_F(Dispenser, ShortLeavesOffTheLastCharacterOfTheWholeAnswer) {
  session.options.Checksum = 1;
  Command("answer next short count 3");
  EXPECT_EQ(Answer("E"), "000000000");  // nine digits, the check character '0' left off
  EXPECT_EQ(Answer("A005t"), "");
  session.options.CreditQuantity = 1;
  EXPECT_EQ(Answer("S00030123\x60"), "RR");
  EXPECT_NE(console.log_.find("Fehler Chksumme"), std::string::npos);  // still answered
}

TEST_F(Dispenser, DelayedAnswersWaitForTheirMomentInOrder) {
  Command("answer next delay 500");
  Command("answer next delay 100");
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(Answer("A005"), "");
  EXPECT_EQ(Answer("E"), "");
  ASSERT_TRUE(DelayedAnswerDue(session));
  EXPECT_GE(*DelayedAnswerDue(session), before + std::chrono::milliseconds(100));
  EXPECT_LT(*DelayedAnswerDue(session), before + std::chrono::milliseconds(500));
  SendDueAnswers(session, before);  // nothing is due yet
  EXPECT_EQ(device->written_, "");
  SendDueAnswers(session, before + std::chrono::hours(1));
  EXPECT_EQ(device->written_, "000000000R");  // the record was due first
  EXPECT_FALSE(DelayedAnswerDue(session));
  EXPECT_EQ(console.log_.substr(console.log_.size() - 2), "R\n");
}

TEST_F(Dispenser, RecordsAreSentOnceEachInOrderThenZeros) {
  UseWindow();
  Command("records 12 345 7 150 9000 1234");
  EXPECT_EQ(Answer("E"), "120345007");
  // A record prepared in the ISB fields goes first; the queue waits.
  Command("ISB 1 2 3");
  Command("SendRecord on");
  EXPECT_EQ(Answer("E"), "010002003");
  EXPECT_EQ(Answer("E"), "500744234");  // reduced as the record is composed
  EXPECT_EQ(Answer("E"), "000000000");
  Command("records 1 1 1");
  Command("records clear");
  EXPECT_EQ(Answer("E"), "000000000");
}

}  // namespace
}  // namespace tapix
