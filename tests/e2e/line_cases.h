// The message cases every build of the program must pass: the test plays
// the dispenser and the cash register on one end of the line, the program
// runs on the other with 9600,N,8,1. A Target starts the program on a line
// of its platform: the Linux program on a pty, tapix.exe under Wine on a COM
// port mapped to a pty. It has
//   pty      the peer's end (Send, Receive, Drain, as PtyPair below)
//   tapix    the running program (a TapixProcess)
// Log lines end in "\n" on both (tapix.exe writes standard output in binary
// mode), and the cases compare them byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tapix_process.h"

namespace tapix::e2e {

inline const std::string kUng = "ung\xFCltig";

template <class Target>
struct LineFixture : ::testing::Test {
  // A program under Wine may take seconds to start on a busy machine.
  LineFixture() { ready = tapix.WaitFor(") succeeded\n", 0, milliseconds(15000)); }
  ~LineFixture() override {
    if (!ended) {
      tapix.Command("quit");
      tapix.Wait();
    }
  }
  // Waits for the log to show `lines` after what was found before.
  std::size_t Expect(const std::string& lines) {
    at = tapix.WaitFor(lines, at);
    EXPECT_NE(at, std::string::npos) << "log: " << tapix.Log();
    if (at == std::string::npos) at = tapix.Log().size();
    return at;
  }

  Target line;
  decltype(line.pty)& pty = line.pty;
  TapixProcess& tapix = line.tapix;
  std::size_t ready = 0;
  std::size_t at = 0;
  bool ended = false;
};

template <class Target>
class LineMessages : public LineFixture<Target> {};

TYPED_TEST_SUITE_P(LineMessages);

TYPED_TEST_P(LineMessages, StartsWithBannerUsageLessAndOpenLine) {
  ASSERT_NE(this->ready, std::string::npos) << this->tapix.Log();
  const std::string& log = this->tapix.Log();
  EXPECT_EQ(log.rfind("'Ventrix' Test und Simulation\n\n", 0), 0u) << log;
  EXPECT_EQ(log.find("usage:"), std::string::npos);
  EXPECT_NE(log.find("CreateFile (COM"), std::string::npos);
}

TYPED_TEST_P(LineMessages, AnswersMessagesAndLogsThem) {
  auto& pty = this->pty;
  ASSERT_NE(this->ready, std::string::npos) << this->tapix.Log();
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");
  this->Expect("A005\nR\n");
  pty.Send("E");
  EXPECT_EQ(pty.Receive(9), "000000000");
  this->Expect("E\n");
  pty.Send("\xB5");
  this->Expect("\xB5 (B5) unerwartet\n");
  pty.Send("fRt");
  this->Expect("f Storno " + kUng + "\nR\nt Storno " + kUng + "\n");
  EXPECT_EQ(pty.Drain(milliseconds(200)), "");  // single characters get no answer
}

TYPED_TEST_P(LineMessages, ChecksumAndMismatchedOptions) {
  auto& pty = this->pty;
  auto& tapix = this->tapix;
  ASSERT_NE(this->ready, std::string::npos);
  tapix.Command("Checksum on");
  tapix.Command("AnswerOk off");
  pty.Drain(milliseconds(200));
  pty.Send("A005t");
  EXPECT_EQ(pty.Receive(1), "F");
  pty.Send("A005x");
  EXPECT_EQ(pty.Receive(1), "F");
  this->Expect("A005t\nF\nA005x Fehler Chksumme (t)\nF\n");
  pty.Send("B001");  // a sender without the check character: the read times out
  EXPECT_EQ(pty.Receive(1), "F");
  this->Expect("B001 timeout\nF\n");
  tapix.Command("Checksum off");
  tapix.Command("AnswerOk on");
  pty.Drain(milliseconds(200));
  pty.Send("A005t");  // a sender with it: the t is a message of its own
  EXPECT_EQ(pty.Receive(1), "R");
  this->Expect("A005\nR\nt Storno " + kUng + "\n");
}

TYPED_TEST_P(LineMessages, CreditQuantityAndWaiter3) {
  auto& pty = this->pty;
  auto& tapix = this->tapix;
  ASSERT_NE(this->ready, std::string::npos);
  tapix.Command("CreditQuantity on");
  tapix.Command("AnswerOk off");
  tapix.Command("Waiter3 on");
  pty.Drain(milliseconds(200));
  pty.Send("S00020123");
  EXPECT_EQ(pty.Receive(2), "ff");
  this->Expect("S00020123\nf\nf\n");
  pty.Send("@012007");
  EXPECT_EQ(pty.Receive(1), "F");
  this->Expect("@012007\nF\n");
  pty.Send("E");
  EXPECT_EQ(pty.Receive(10), "0000000000");
}

TYPED_TEST_P(LineMessages, SplitAndShortMessagesTimeOut) {
  auto& pty = this->pty;
  ASSERT_NE(this->ready, std::string::npos);
  pty.Send("T01");
  // Far longer than the 100 ms gap: on a loaded machine (Wine above all) the
  // program may reach its read for the rest of the message late, and the
  // pause must still lie between the bytes when it does.
  std::this_thread::sleep_for(milliseconds(1000));
  pty.Send("20451");
  this->Expect("T01 timeout\nR\n");
  this->Expect("20451 timeout\nR\n");  // the rest starts a record: a digit leads it
}

TYPED_TEST_P(LineMessages, RecordFromTheIsbFieldsGoesOutOnce) {
  auto& pty = this->pty;
  ASSERT_NE(this->ready, std::string::npos);
  this->tapix.Command("ISB 150 9000 1234");
  this->tapix.Command("SendRecord on");
  pty.Drain(milliseconds(200));
  pty.Send("E");
  EXPECT_EQ(pty.Receive(9), "500744234");
  pty.Send("E");
  EXPECT_EQ(pty.Receive(9), "000000000");
}

TYPED_TEST_P(LineMessages, HostRequestsReachThePeerByteExact) {
  auto& pty = this->pty;
  auto& tapix = this->tapix;
  ASSERT_NE(this->ready, std::string::npos);
  tapix.Command("A 5");
  EXPECT_EQ(pty.Receive(4), "A005");
  tapix.Command("Checksum on");
  tapix.Command("A 5");
  EXPECT_EQ(pty.Receive(5), "A005t");
  tapix.Command("E");
  EXPECT_EQ(pty.Receive(1), "E");
  pty.Send("1203450076");  // the peer answers with a record and its check character
  EXPECT_EQ(pty.Receive(1), "R");
  this->Expect("1203450076\nR\n");
  tapix.Command("CreditQuantity on");
  tapix.Command("Q 23 5 123");
  EXPECT_EQ(pty.Receive(13), "Q00230050123e");
}

TYPED_TEST_P(LineMessages, ClosedOrGarbageInputNeitherStopsNorSpins) {
  auto& pty = this->pty;
  auto& tapix = this->tapix;
  ASSERT_NE(this->ready, std::string::npos);
  tapix.RawInput(std::string("\x01\xFFgarbage\n\n  \nA 5 5 5\n", 21));
  this->Expect("Befehl nicht ausgef\xFChrt");
  tapix.CloseInput();
  std::this_thread::sleep_for(milliseconds(300));
  const double before = tapix.CpuSeconds();
  std::this_thread::sleep_for(milliseconds(1000));
  EXPECT_LT(tapix.CpuSeconds() - before, 0.5);
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");
  const std::string& log = tapix.Log();
  std::size_t bad = 0;
  for (std::size_t p = log.find("Befehl nicht"); p != std::string::npos;
       p = log.find("Befehl nicht", p + 1))
    ++bad;
  EXPECT_EQ(bad, 2u);
  ::kill(tapix.pid(), SIGINT);
  EXPECT_EQ(tapix.Wait(), 0);
  this->ended = true;
}

TYPED_TEST_P(LineMessages, PeerHangUpIsReportedOnceAndDoesNotSpin) {
  auto& tapix = this->tapix;
  ASSERT_NE(this->ready, std::string::npos);
  this->pty.Close();
  this->Expect("Verbindung unterbrochen");
  const double before = tapix.CpuSeconds();
  std::this_thread::sleep_for(milliseconds(1000));
  const double used = tapix.CpuSeconds() - before;
  EXPECT_LT(used, 0.5) << "the program spins after the hang-up";
  const std::string& log = tapix.Log();
  EXPECT_EQ(log.find("Verbindung unterbrochen", log.find("Verbindung unterbrochen") + 1),
            std::string::npos);
  tapix.Command("A 5");  // no port: the request waits, nothing breaks
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0);
  this->ended = true;
}

// A long backlog of commands while nobody reads the line: once the line's
// buffer is full every request waits for its write time-out. Ctrl+C then
// ends the run after the request being written, not after the backlog.
TYPED_TEST_P(LineMessages, AStopEndsTheRunWhateverCommandsAreQueued) {
  auto& tapix = this->tapix;
  ASSERT_NE(this->ready, std::string::npos);
  std::string backlog;
  for (int i = 0; i < 6000; ++i) backlog += "A 5\n";  // more than the line holds
  tapix.RawInput(backlog);
  ASSERT_NE(tapix.WaitFor(" timeout (A005)", 0, milliseconds(30000)), std::string::npos)
      << "the line never filled: " << tapix.Log().substr(0, 2000);
  const std::size_t before = Occurrences(tapix.Log(), " timeout (A005)");
  ::kill(tapix.pid(), SIGINT);
  // Hundreds of commands are left, each worth a write time-out of 400 ms.
  EXPECT_EQ(tapix.Wait(milliseconds(20000)), 0);
  EXPECT_LE(Occurrences(tapix.Log(), " timeout (A005)"), before + 2) << "commands ran after the stop";
  this->ended = true;
}

REGISTER_TYPED_TEST_SUITE_P(LineMessages, StartsWithBannerUsageLessAndOpenLine,
                            AnswersMessagesAndLogsThem, ChecksumAndMismatchedOptions,
                            CreditQuantityAndWaiter3, SplitAndShortMessagesTimeOut,
                            RecordFromTheIsbFieldsGoesOutOnce, HostRequestsReachThePeerByteExact,
                            ClosedOrGarbageInputNeitherStopsNorSpins,
                            PeerHangUpIsReportedOnceAndDoesNotSpin,
                            AStopEndsTheRunWhateverCommandsAreQueued);

}  // namespace tapix::e2e
