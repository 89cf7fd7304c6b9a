// The real program on a pty pair: bytes in, answers and log lines out.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tapix_process.h"

namespace tapix::e2e {
namespace {

const std::string kUng = "ung\xFCltig";

struct Line : ::testing::Test {
  Line() : tapix({"--no-window", pty.path() + ",9600,N,8,1"}, config.path()) {
    ready = tapix.WaitFor(") succeeded\n");
  }
  ~Line() override {
    if (!ended) {
      tapix.Command("quit");
      tapix.Wait();
    }
  }
  // Sends bytes as the peer and waits for the log to show `line`.
  std::size_t Expect(const std::string& line) {
    at = tapix.WaitFor(line, at);
    EXPECT_NE(at, std::string::npos) << "log: " << tapix.Log();
    if (at == std::string::npos) at = tapix.Log().size();
    return at;
  }

  TempDir config;
  PtyPair pty;
  TapixProcess tapix;
  std::size_t ready = 0;
  std::size_t at = 0;
  bool ended = false;
};

TEST_F(Line, StartsWithBannerUsageLessAndOpenLine) {
  ASSERT_NE(ready, std::string::npos) << tapix.Log();
  const std::string& log = tapix.Log();
  EXPECT_EQ(log.rfind("'Ventrix' Test und Simulation\n\n", 0), 0u) << log;
  EXPECT_EQ(log.find("usage:"), std::string::npos);
  EXPECT_NE(log.find("CreateFile (COM"), std::string::npos);
}

TEST_F(Line, AnswersMessagesAndLogsThem) {
  ASSERT_NE(ready, std::string::npos) << tapix.Log();
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");
  Expect("A005\nR\n");
  pty.Send("E");
  EXPECT_EQ(pty.Receive(9), "000000000");
  Expect("E\n");
  pty.Send("\xB5");
  Expect("\xB5 (B5) unerwartet\n");
  pty.Send("fRt");
  Expect("f Storno " + kUng + "\nR\nt Storno " + kUng + "\n");
  EXPECT_EQ(pty.Drain(milliseconds(200)), "");  // single characters get no answer
}

TEST_F(Line, ChecksumAndMismatchedOptions) {
  ASSERT_NE(ready, std::string::npos);
  tapix.Command("Checksum on");
  tapix.Command("AnswerOk off");
  pty.Drain(milliseconds(200));
  pty.Send("A005t");
  EXPECT_EQ(pty.Receive(1), "F");
  pty.Send("A005x");
  EXPECT_EQ(pty.Receive(1), "F");
  Expect("A005t\nF\nA005x Fehler Chksumme (t)\nF\n");
  pty.Send("B001");  // a sender without the check character: the read times out
  EXPECT_EQ(pty.Receive(1), "F");
  Expect("B001 timeout\nF\n");
  tapix.Command("Checksum off");
  tapix.Command("AnswerOk on");
  pty.Drain(milliseconds(200));
  pty.Send("A005t");  // a sender with it: the t is a message of its own
  EXPECT_EQ(pty.Receive(1), "R");
  Expect("A005\nR\nt Storno " + kUng + "\n");
}

TEST_F(Line, CreditQuantityAndWaiter3) {
  ASSERT_NE(ready, std::string::npos);
  tapix.Command("CreditQuantity on");
  tapix.Command("AnswerOk off");
  tapix.Command("Waiter3 on");
  pty.Drain(milliseconds(200));
  pty.Send("S00020123");
  EXPECT_EQ(pty.Receive(2), "ff");
  Expect("S00020123\nf\nf\n");
  pty.Send("@012007");
  EXPECT_EQ(pty.Receive(1), "F");
  Expect("@012007\nF\n");
  pty.Send("E");
  EXPECT_EQ(pty.Receive(10), "0000000000");
}

TEST_F(Line, SplitAndShortMessagesTimeOut) {
  ASSERT_NE(ready, std::string::npos);
  pty.Send("T01");
  std::this_thread::sleep_for(milliseconds(400));  // longer than the 100 ms gap
  pty.Send("20451");
  Expect("T01 timeout\nR\n");
  Expect("20451 timeout\nR\n");  // the rest starts a record: a digit leads it
}

TEST_F(Line, RecordFromTheIsbFieldsGoesOutOnce) {
  ASSERT_NE(ready, std::string::npos);
  tapix.Command("ISB 150 9000 1234");
  tapix.Command("SendRecord on");
  pty.Drain(milliseconds(200));
  pty.Send("E");
  EXPECT_EQ(pty.Receive(9), "500744234");
  pty.Send("E");
  EXPECT_EQ(pty.Receive(9), "000000000");
}

TEST_F(Line, HostRequestsReachThePeerByteExact) {
  ASSERT_NE(ready, std::string::npos);
  tapix.Command("A 5");
  EXPECT_EQ(pty.Receive(4), "A005");
  tapix.Command("Checksum on");
  tapix.Command("A 5");
  EXPECT_EQ(pty.Receive(5), "A005t");
  tapix.Command("E");
  EXPECT_EQ(pty.Receive(1), "E");
  pty.Send("1203450076");  // the peer answers with a record and its check character
  EXPECT_EQ(pty.Receive(1), "R");
  Expect("1203450076\nR\n");
  tapix.Command("CreditQuantity on");
  tapix.Command("Q 23 5 123");
  EXPECT_EQ(pty.Receive(13), "Q00230050123e");
}

TEST_F(Line, PeerHangUpIsReportedOnceAndDoesNotSpin) {
  ASSERT_NE(ready, std::string::npos);
  pty.Close();
  Expect("Verbindung unterbrochen");
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
  ended = true;
}

TEST_F(Line, SecondProgramCannotHoldThePort) {
  ASSERT_NE(ready, std::string::npos);
  TempDir other;
  TapixProcess second({"--no-window", pty.path()}, other.path());
  EXPECT_NE(second.WaitFor(") failed with error "), std::string::npos) << second.Log();
  second.Command("quit");
  EXPECT_EQ(second.Wait(), 0);
  pty.Send("A005");  // the first still owns the line
  EXPECT_EQ(pty.Receive(1), "R");
}

TEST_F(Line, StopSignalEndsLikeBeendenAndSaves) {
  ASSERT_NE(ready, std::string::npos);
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(), 0);
  ended = true;
  std::ifstream store(config.path() + "/tapix/settings.reg", std::ios::binary);
  std::stringstream text;
  text << store.rdbuf();
  EXPECT_NE(text.str().find("\"Baud\"=\"9600\""), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("\"Parity\"=\"0\""), std::string::npos) << text.str();
}

TEST_F(Line, ClosedOrGarbageInputNeitherStopsNorSpins) {
  ASSERT_NE(ready, std::string::npos);
  tapix.RawInput(std::string("\x01\xFFgarbage\n\n  \nA 5 5 5\n", 21));
  Expect("Befehl nicht ausgef\xFChrt");
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
  ended = true;
}

}  // namespace
}  // namespace tapix::e2e
