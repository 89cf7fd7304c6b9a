// The port's receiver: what each first byte reads, where a message ends, the
// exact log lines, and answers on the line before the log.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/receiver.h"
#include "e2e/stream_account.h"
#include "session_fixture.h"

namespace tapix {
namespace {

using testing::SessionFixture;

struct Receiving : ::testing::Test, SessionFixture {
  Receiving() { session.options.AutoAnswer = 0; }
};

TEST_F(Receiving, ChecksumGoodAndWrong) {
  session.options.Checksum = 1;
  Receive("A005t");
  Receive("A005x");
  EXPECT_EQ(console.log_, "A005t\nA005x Fehler Chksumme (t)\n");
}

TEST_F(Receiving, SenderWithChecksumReceiverWithout) {
  Receive("A005t");
  EXPECT_EQ(console.log_, "A005\nt Storno ung\xFCltig\n");
}

TEST_F(Receiving, ReceiverWithChecksumSenderWithout) {
  session.options.Checksum = 1;
  Receive("A005");
  EXPECT_EQ(console.log_, "A005 timeout\n");
}

TEST_F(Receiving, CreditQuantityMismatchSwallowsTheNextMessage) {
  session.options.CreditQuantity = 1;
  Receive("K0744");  // a sender without the option: four characters, then a pause
  Receive("K0744A005");
  EXPECT_EQ(console.log_, "K0744 timeout\nK0744A005\n");
}

TEST_F(Receiving, SingleCharacterMessages) {
  Receive("EFRfrt");
  EXPECT_EQ(console.log_,
            "E\nF Datensatz Fehler\nR\nf Storno ung\xFCltig\nr\nt Storno ung\xFCltig\n");
}

TEST_F(Receiving, UnexpectedBytesEachGetTheirOwnLine) {
  Receive(std::string("\n\xB5" "a", 3) + std::string(1, '\0'));
  EXPECT_EQ(console.log_, std::string("\n (0A) unerwartet\n\xB5 (B5) unerwartet\na (61) unerwartet\n") +
                              std::string(1, '\0') + " (00) unerwartet\n");
}

TEST_F(Receiving, LengthsFollowTheOptions) {
  Receive("1203450076");  // record without Waiter3: nine digits; the 6 starts a new one
  session.options.Waiter3 = 1;
  Receive("@012007@01207");
  EXPECT_EQ(console.log_, "120345007\n6 timeout\n@012007\n@01207 timeout\n");
}

TEST_F(Receiving, ShortReadAndFailedRead) {
  Receive("T012");
  Receive("Q");
  EXPECT_EQ(console.log_, "T012 timeout\nQ timeout\n");
}

TEST_F(Receiving, ZeroByteInsideAMessageIsStillLogged) {
  Receive(std::string("A0\0" "5", 4));
  EXPECT_EQ(console.log_, std::string("A0\0" "5\n", 5));
}

TEST_F(Receiving, ChecksumOptionIsTakenWhenTheFirstByteArrives) {
  session.options.Checksum = 1;
  Receive("B001");
  session.options.Checksum = 0;
  Receive("B001");
  EXPECT_EQ(console.log_, "B001 timeout\nB001\n");
}

// A message that arrives in pieces: the pieces join while the pauses stay
// within the interval and the total; the deadline cuts it otherwise, and
// not a moment before.
TEST_F(Receiving, PiecesJoinWithinTheTimeOutsAndTheDeadlineCutsTheRest) {
  using std::chrono::milliseconds;
  const auto Take = [this](const char* bytes, milliseconds at) {
    session.receiver.Take(session, bytes, {now + at, {}});
  };
  Take("A0", milliseconds(0));
  Take("0", milliseconds(90));
  EXPECT_TRUE(session.receiver.Reading());
  Take("5", milliseconds(180));
  EXPECT_FALSE(session.receiver.Reading());
  // "T" has 700 ms for its seven digits; the interval counts from the second byte.
  Take("T", milliseconds(1000));
  Take("01", milliseconds(1400));
  ASSERT_TRUE(session.receiver.Deadline());
  EXPECT_EQ(*session.receiver.Deadline(), now + milliseconds(1500));
  session.receiver.Expire(session, now + milliseconds(1500));
  EXPECT_TRUE(session.receiver.Reading()) << "cut only once the deadline has passed";
  session.receiver.Expire(session, now + milliseconds(1501));
  EXPECT_FALSE(session.receiver.Reading());
  EXPECT_FALSE(session.receiver.Deadline());
  EXPECT_EQ(console.log_, "A005\nT01 timeout\n");
}

// Bytes the loop finds waiting when it looks late (a modal dialog, a busy
// terminal) count as in time: the loop did not see the line quiet.
TEST_F(Receiving, BytesFoundWaitingAfterTheDeadlineStillBelongToTheMessage) {
  using std::chrono::milliseconds;
  session.receiver.Take(session, "B0", {now, {}});
  session.receiver.Take(session, "01A0", {now + milliseconds(5000), {}});
  EXPECT_EQ(console.log_, "B001\n");
  EXPECT_TRUE(session.receiver.Reading()) << "A0 starts a message of its own, at the late look";
  ASSERT_TRUE(session.receiver.Deadline());
  EXPECT_EQ(*session.receiver.Deadline(), now + milliseconds(5000 + 100));
}

// The answers to the messages of one read go out in one write, before the
// lines of the messages and the answers are logged, and the log keeps its
// order.
TEST_F(Receiving, AnswersGoOutBeforeTheLogLinesInTheLogsOrder) {
  session.options.AutoAnswer = 1;
  session.options.CreditQuantity = 1;
  std::string logged_at_writes;
  device->on_write_ = [this, &logged_at_writes](std::string_view) { logged_at_writes += "[" + console.log_ + "]"; };
  Receive("xA005S00020123E");
  EXPECT_EQ(device->written_, "RRR" "000000000");
  EXPECT_EQ(logged_at_writes, "[]") << "every answer of the read in one write, before any line";
  EXPECT_EQ(console.all_, "x (78) unerwartet\nA005\nR\nS00020123\nR\nR\nE\n000000000\n");
}

// Every byte that came must be in exactly one line of the log, and no line
// may show a byte that did not come; the answer lines are the bytes written
// back. The oracle (the end-to-end tests' own) knows the grammar without
// the message table.
TEST(ReceiverStream, EveryByteIsAccountedForInEveryOptionCombination) {
  std::mt19937 rng(20261208);
  const std::string likely = "0123456789@ABCWTKSQqEFRfrt";
  for (int combo = 0; combo < 32; ++combo) {
    testing::SessionFixture line;
    Session& session = line.session;
    session.options.Checksum = combo & 1;
    session.options.Waiter3 = (combo >> 1) & 1;
    session.options.CreditQuantity = (combo >> 2) & 1;
    session.options.AutoAnswer = (combo >> 3) & 1;
    session.options.AnswerOk = (combo >> 4) & 1;
    const testing::CaptureConsole& console = line.console;
    const testing::ScriptedDevice* device = line.device;

    std::string sent;
    for (int chunk = 0; chunk < 400; ++chunk) {
      std::string c;
      const int len = 1 + static_cast<int>(rng() % 16);
      for (int i = 0; i < len; ++i) {
        c.push_back(rng() % 2 ? likely[rng() % likely.size()] : static_cast<char>(rng() % 256));
      }
      sent += c;
      line.Receive(c);  // a pause after each chunk
    }

    // The answers the peer read back: R, F and f; a record answer has digits
    // only and is echoed, not logged.
    std::string answers;
    for (char b : device->written_)
      if (b == 'R' || b == 'F' || b == 'f') answers.push_back(b);
    if (!session.options.AutoAnswer) {
      EXPECT_EQ(device->written_, "");
    }
    fault::LineOptions o;
    o.checksum = session.options.Checksum;
    o.waiter3 = session.options.Waiter3;
    o.credit_quantity = session.options.CreditQuantity;
    o.auto_answer = session.options.AutoAnswer;
    const fault::Accounting account = fault::Account(console.log_, sent, answers, o);
    EXPECT_TRUE(account.ok) << "option combination " << combo << ": " << account.where;
  }
}

}  // namespace
}  // namespace tapix
