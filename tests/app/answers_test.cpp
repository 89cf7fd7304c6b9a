// The dispenser's answers: which bytes go back, how many, and the log lines.
#include <gtest/gtest.h>

#include "app/answers.h"
#include "app/control_ids.h"
#include "session_fixture.h"

namespace tapix {
namespace {

struct Answers : ::testing::Test, testing::SessionFixture {};

TEST_F(Answers, CancellationWithQuantityIsAnsweredPerUnit) {
  session.options.CreditQuantity = 1;
  session.options.AnswerOk = 0;
  Receive("S00020123");
  EXPECT_EQ(device->written_, "ff");
  EXPECT_EQ(console.log_, "S00020123\nf\nf\n");
  device->written_.clear();
  Receive("q00000050123");
  EXPECT_EQ(device->written_, "f");  // quantity 0 counts as one unit
  session.options.AnswerOk = 1;
  device->written_.clear();
  Receive("S00020123");
  EXPECT_EQ(device->written_, "RR");
}

TEST_F(Answers, CreditReleaseGetsOneAnswerWhateverTheQuantity) {
  session.options.CreditQuantity = 1;
  Receive("K00990123");
  Receive("Q00990050123");
  EXPECT_EQ(device->written_, "RR");
  session.options.AnswerOk = 0;
  Receive("K00990123");
  EXPECT_EQ(device->written_, "RRF");
}

TEST_F(Answers, WithoutCreditQuantityACancellationGetsROrF) {
  Receive("S0123");
  session.options.AnswerOk = 0;
  Receive("q0050123");
  EXPECT_EQ(device->written_, "RF");
  EXPECT_EQ(console.log_, "S0123\nR\nq0050123\nF\n");
}

TEST_F(Answers, IncompleteOrWrongMessagesAreStillAcknowledged) {
  session.options.Checksum = 1;
  Receive("A005x");  // wrong check character
  Receive("W01");    // short
  EXPECT_EQ(device->written_, "RR");
}

TEST_F(Answers, SingleCharactersAreNeverAnswered) {
  Receive("FRfrt\x01");
  EXPECT_EQ(device->written_, "");
}

TEST_F(Answers, AutoAnswerOffSendsNothing) {
  session.options.AutoAnswer = 0;
  Receive("A005E120345007");
  EXPECT_EQ(device->written_, "");
  EXPECT_EQ(console.log_, "A005\nE\n120345007\n");
  EXPECT_EQ(console.echo_, "");
}

TEST_F(Answers, HostSideAcknowledgesARecord) {
  Receive("120345007");
  EXPECT_EQ(device->written_, "R");
}

TEST_F(Answers, UnitCountOfAShortOrOddQuantity) {
  // The count is read like atoi over the quantity field as far as it came.
  EXPECT_EQ(CancellationUnits("S0003"), 3);
  EXPECT_EQ(CancellationUnits("S00"), 1);     // "00" is 0: one unit
  EXPECT_EQ(CancellationUnits("S"), 1);       // nothing came: one unit
  EXPECT_EQ(CancellationUnits("S12"), 12);
  EXPECT_EQ(CancellationUnits("S1x34"), 1);   // digits stop at the x
  EXPECT_EQ(CancellationUnits("Sxx12"), 1);   // no digit: 0, one unit
  EXPECT_EQ(CancellationUnits("S-002"), -2);  // below 0: nothing is sent
  EXPECT_EQ(CancellationUnits("S 7"), 7);
  EXPECT_EQ(CancellationUnits("S99990123"), 9999);
  session.options.CreditQuantity = 1;
  Receive("S-0020123");
  EXPECT_EQ(device->written_, "");
  EXPECT_EQ(console.log_, "S-0020123\n");
}

struct RecordAnswers : ::testing::Test, testing::SessionFixture {
  RecordAnswers() { UseWindow(); }
  void Fields(const char* waiter, const char* plu, const char* table) {
    panel.SetFieldText(ctl::IsbWaiter, waiter);
    panel.SetFieldText(ctl::IsbPlu, plu);
    panel.SetFieldText(ctl::IsbTable, table);
  }
};

TEST_F(RecordAnswers, AllZeroRecordWithAndWithoutCheck) {
  Receive("E");
  EXPECT_EQ(device->written_, "000000000");
  panel.SetChecked(ctl::Checksum, true);
  Receive("E");
  EXPECT_EQ(device->written_, "0000000000000000000");  // nine zeros and check 0
  session.options.Waiter3 = 1;
  device->written_.clear();
  Receive("E");
  EXPECT_EQ(device->written_, "0000000000");  // ten zeros: the check 0 does not go out
  EXPECT_EQ(console.log_, "E\nE\nE\n");
  EXPECT_EQ(console.echo_, "000000000\n0000000000\n0000000000\n");
}

TEST_F(RecordAnswers, SendRecordIsOneShot) {
  Fields("150", "9000", "1234");
  session.options.SendRecord = 1;
  panel.SetChecked(ctl::SendRecord, true);
  Receive("E");
  EXPECT_EQ(device->written_, "500744234");
  EXPECT_EQ(session.options.SendRecord, 0u);
  EXPECT_FALSE(panel.IsChecked(ctl::SendRecord));
  Receive("E");
  EXPECT_EQ(device->written_, "500744234000000000");
}

TEST_F(RecordAnswers, Waiter3RecordAndUnreadableFields) {
  Fields("150", "9000", "1234");
  session.options.Waiter3 = 1;
  session.options.SendRecord = 1;
  Receive("E");
  EXPECT_EQ(device->written_, "0220744234");
  Fields("", "-5", "12x");  // unsigned reading: all three are 0
  session.options.SendRecord = 1;
  Receive("E");
  EXPECT_EQ(device->written_, "02207442340000000000");
}

TEST_F(RecordAnswers, AutoAnswerOffLeavesSendRecordArmed) {
  session.options.AutoAnswer = 0;
  session.options.SendRecord = 1;
  panel.SetChecked(ctl::SendRecord, true);
  Receive("E");
  EXPECT_EQ(device->written_, "");
  EXPECT_EQ(session.options.SendRecord, 1u);
  EXPECT_TRUE(panel.IsChecked(ctl::SendRecord));
}

TEST_F(RecordAnswers, ShortWriteShowsWhatWentOutAndTheWholeRecord) {
  device->write_limit_ = 4;
  Receive("E");
  EXPECT_EQ(device->written_, "0000");
  EXPECT_EQ(console.all_, "E\n0000 timeout (000000000)\n");
  EXPECT_EQ(console.log_, "E\n timeout (000000000)\n");  // a line of its own without the echo
}

}  // namespace
}  // namespace tapix
