// The receive dispatcher: what each first byte reads, and the exact log lines.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/receiver.h"
#include "e2e/stream_account.h"
#include "session_fixture.h"

namespace tapix {
namespace {

using testing::SessionFixture;

struct Receiver : ::testing::Test, SessionFixture {
  Receiver() { session.options.AutoAnswer = 0; }
};

TEST_F(Receiver, ChecksumGoodAndWrong) {
  session.options.Checksum = 1;
  Receive("A005t");
  Receive("A005x");
  EXPECT_EQ(console.log_, "A005t\nA005x Fehler Chksumme (t)\n");
}

TEST_F(Receiver, SenderWithChecksumReceiverWithout) {
  Receive("A005t");
  EXPECT_EQ(console.log_, "A005\nt Storno ung\xFCltig\n");
}

TEST_F(Receiver, ReceiverWithChecksumSenderWithout) {
  session.options.Checksum = 1;
  Receive("A005");
  EXPECT_EQ(console.log_, "A005 timeout\n");
}

TEST_F(Receiver, CreditQuantityMismatchSwallowsTheNextMessage) {
  session.options.CreditQuantity = 1;
  Receive("K0744");  // a sender without the option: four characters, then a pause
  Receive("K0744A005");
  EXPECT_EQ(console.log_, "K0744 timeout\nK0744A005\n");
}

TEST_F(Receiver, SingleCharacterMessages) {
  Receive("EFRfrt");
  EXPECT_EQ(console.log_,
            "E\nF Datensatz Fehler\nR\nf Storno ung\xFCltig\nr\nt Storno ung\xFCltig\n");
}

TEST_F(Receiver, UnexpectedBytesEachGetTheirOwnLine) {
  Receive(std::string("\n\xB5" "a", 3) + std::string(1, '\0'));
  EXPECT_EQ(console.log_, std::string("\n (0A) unerwartet\n\xB5 (B5) unerwartet\na (61) unerwartet\n") +
                              std::string(1, '\0') + " (00) unerwartet\n");
}

TEST_F(Receiver, LengthsFollowTheOptions) {
  Receive("1203450076");  // record without Waiter3: nine digits; the 6 starts a new one
  session.options.Waiter3 = 1;
  Receive("@012007@01207");
  EXPECT_EQ(console.log_, "120345007\n6 timeout\n@012007\n@01207 timeout\n");
}

TEST_F(Receiver, ShortReadAndFailedRead) {
  Receive("T012");
  Receive("Q");
  EXPECT_EQ(console.log_, "T012 timeout\nQ timeout\n");
}

TEST_F(Receiver, ZeroByteInsideAMessageIsStillLogged) {
  Receive(std::string("A0\0" "5", 4));
  EXPECT_EQ(console.log_, std::string("A0\0" "5\n", 5));
}

TEST_F(Receiver, ChecksumOptionIsTakenWhenTheFirstByteArrives) {
  session.options.Checksum = 1;
  Receive("B001");
  session.options.Checksum = 0;
  Receive("B001");
  EXPECT_EQ(console.log_, "B001 timeout\nB001\n");
}

// Every byte that came must be in exactly one line of the log, and no line
// may show a byte that did not come; the answer lines are the bytes written
// back. The oracle (the end-to-end tests' own) knows the grammar without
// the message table.
TEST(ReceiverStream, EveryByteIsAccountedForInEveryOptionCombination) {
  std::mt19937 rng(20261208);
  const std::string likely = "0123456789@ABCWTKSQqEFRfrt";
  for (int combo = 0; combo < 32; ++combo) {
    Session session;
    SetDefaults(session.settings);
    ResetOptions(session);
    session.options.Checksum = combo & 1;
    session.options.Waiter3 = (combo >> 1) & 1;
    session.options.CreditQuantity = (combo >> 2) & 1;
    session.options.AutoAnswer = (combo >> 3) & 1;
    session.options.AnswerOk = (combo >> 4) & 1;
    testing::CaptureConsole console;
    session.console = &console;
    auto owned = std::make_unique<testing::ScriptedDevice>();
    testing::ScriptedDevice* device = owned.get();
    session.port = std::move(owned);

    std::string sent;
    for (int chunk = 0; chunk < 400; ++chunk) {
      std::string c;
      const int len = 1 + static_cast<int>(rng() % 16);
      for (int i = 0; i < len; ++i) {
        c.push_back(rng() % 2 ? likely[rng() % likely.size()] : static_cast<char>(rng() % 256));
      }
      sent += c;
      device->Feed(c);
    }
    unsigned char byte;
    while (session.port->Read(&byte, 1) == 1) DispatchByte(session, byte);

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
