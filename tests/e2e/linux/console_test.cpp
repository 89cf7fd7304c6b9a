// Standard input that is closed from the start, or that carries garbage.
#include <gtest/gtest.h>

#include <memory>

#include "fault_support.h"

namespace tapix::fault {
namespace {

const std::string kRejected = "Befehl nicht ausgef\xFChrt: ";

std::size_t RejectLines(const std::string& log, std::size_t from) {
  std::size_t n = 0;
  for (std::size_t p = log.find(kRejected, from); p != std::string::npos; p = log.find(kRejected, p + 1))
    if (p == 0 || log[p - 1] == '\n') ++n;
  return n;
}

TEST(ClosedInput, FromTheStartWithAPortNeitherStopsNorSpins) {
  PtyPair pty;
  TempDir config;
  TapixProcess tapix({"--no-window", pty.path() + ",9600,N,8,1"}, config.path());
  tapix.CloseInput();
  ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();
  EXPECT_LT(CpuOver(tapix, milliseconds(2000)), 0.5) << "the program spins";
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");  // the line is still served
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(), 0);
}

TEST(ClosedInput, WithoutAPortTheRunEndsForNothingMoreCanHappen) {
  TempDir config;
  TapixProcess tapix({"--no-window", "/dev/tapix-no-such-device"}, config.path());
  tapix.CloseInput();
  EXPECT_EQ(tapix.Wait(), 1) << tapix.Log();
  EXPECT_NE(tapix.Log().find(") failed with error "), std::string::npos) << tapix.Log();
}

TEST(ClosedInput, AHangUpAfterTheInputEndedEndsTheRun) {
  auto pty = std::make_unique<PtyPair>();
  TempDir config;
  TapixProcess tapix({"--no-window", pty->path() + ",9600,N,8,1"}, config.path());
  tapix.CloseInput();
  ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();
  pty->Close();
  EXPECT_EQ(tapix.Wait(), 1) << tapix.Log();
  EXPECT_NE(tapix.Log().find("Verbindung unterbrochen"), std::string::npos) << tapix.Log();
}

TEST(ClosedInput, AtThePortPromptCancelsAndSavesNothing) {
  TempDir config;
  TapixProcess tapix({"--no-window", "0"}, config.path());
  tapix.CloseInput();
  EXPECT_EQ(tapix.Wait(milliseconds(10000)), 1) << tapix.Log();
  EXPECT_NE(tapix.Log().find("Nummer eingeben"), std::string::npos) << tapix.Log();
  EXPECT_EQ(tapix.Log().find("CreateFile"), std::string::npos) << tapix.Log();
  EXPECT_EQ(StoreText(config).find("Baud"), std::string::npos) << StoreText(config);
}

struct GarbageInput : ::testing::Test {
  GarbageInput() : tapix({"--no-window", pty.path() + ",9600,N,8,1"}, config.path()) {
    ready = tapix.WaitFor(") succeeded\n");
  }
  // Feeds `lines` and waits until the program has dealt with all of them.
  std::size_t Feed(const std::vector<std::string>& lines, const std::string& marker) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    tapix.RawInput(text);
    return Sync(tapix, marker);
  }

  TempDir config;
  PtyPair pty;
  TapixProcess tapix;
  std::size_t ready = 0;
};

TEST_F(GarbageInput, EveryBadLineGetsOneRejectLine) {
  ASSERT_NE(ready, std::string::npos) << tapix.Log();
  const std::vector<std::string> bad = {
      "\x01\x02\x03",
      "\xFF\xFE garbage",
      "A 5 5 5",
      "W 5 2",
      "K 12 x",
      "ISB 1 2 3 4",
      "Checksum maybe",
      "Checksum",
      "port",
      "port -1",
      "port 99999",
      std::string("A\0 5", 4),
      "\x1B[A\x1B[B",                    // arrow keys
  };
  std::vector<std::string> lines = bad;
  lines.insert(lines.begin() + 3, "");   // empty and blank lines are no mistake
  lines.insert(lines.begin() + 5, " \t \r");
  // Lines too long to be a command are refused with a line of their own too.
  lines.insert(lines.begin() + 7, std::string(5000, 'x'));
  lines.insert(lines.begin() + 9, "A 5" + std::string(6000, ' '));
  const std::size_t overlong = 2;
  const std::size_t end = Feed(lines, "end-of-garbage");
  ASSERT_NE(end, std::string::npos) << tapix.Log();
  const std::string& log = tapix.Log();
  // One line per bad command, and one for the marker.
  EXPECT_EQ(RejectLines(log, ready), bad.size() + overlong + 1) << log.substr(ready);
  for (std::size_t p = log.find(kRejected, ready); p != std::string::npos; p = log.find(kRejected, p + 1))
    EXPECT_LE(log.find('\n', p) - p, 200u) << "a reject line should stay short";
  EXPECT_EQ(pty.Drain(milliseconds(200)), "") << "a bad command reached the line";

  tapix.Command("A 5");  // the reader is still in step
  EXPECT_EQ(pty.Receive(4), "A005");
}

TEST_F(GarbageInput, ThousandsOfBadLinesAreAllAnswered) {
  ASSERT_NE(ready, std::string::npos) << tapix.Log();
  const int kChunks = 30, kPerChunk = 100;
  for (int c = 0; c < kChunks; ++c) {
    std::vector<std::string> lines;
    for (int i = 0; i < kPerChunk; ++i) lines.push_back("zz" + std::to_string(c * kPerChunk + i) + " \x80\x81");
    ASSERT_NE(Feed(lines, "chunk-" + std::to_string(c)), std::string::npos) << "chunk " << c;
  }
  EXPECT_EQ(RejectLines(tapix.Log(), ready), static_cast<std::size_t>(kChunks * (kPerChunk + 1)));
  tapix.CloseInput();
  EXPECT_LT(CpuOver(tapix, milliseconds(2000)), 0.5) << "the program spins after the input ended";
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(), 0);
}

// 5,300 commands piped in, standard input held open, nobody on the virtual
// line's other end: once its buffer is full each request waits out its
// 400 ms write time-out. SIGTERM ends the run after the request being
// written, not after the rest of the backlog (which took a minute).
TEST(CommandBacklog, SigtermEndsTheRunWithinOneWriteTimeOut) {
  TempDir config;
  TapixProcess tapix({"--no-window", "--pty"}, config.path());
  std::string backlog;
  for (int i = 0; i < 5300; ++i) backlog += "A 5\n";
  tapix.RawInput(backlog);
  ASSERT_NE(tapix.WaitFor(" timeout (A005)", 0, milliseconds(30000)), std::string::npos) << tapix.Log();
  const std::size_t before = e2e::Occurrences(tapix.Log(), " timeout (A005)");
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(milliseconds(20000)), 0);
  EXPECT_LE(e2e::Occurrences(tapix.Log(), " timeout (A005)"), before + 2) << "commands ran after the stop";
}

TEST(LogReaderGone, TheLineIsStillServedAndTheRunEndsAndSaves) {
  TempDir config;
  PtyPair pty;
  TapixProcess tapix({"--no-window", pty.path() + ",19200,N,8,1"}, config.path());
  ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();
  ASSERT_TRUE(DropLogReader(tapix));
  for (int i = 0; i < 200; ++i) {  // far more log than a pipe holds
    pty.Send("A005E");
    ASSERT_EQ(pty.Receive(10), "R000000000") << "message " << i;
  }
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(), 0);
  EXPECT_NE(StoreText(config).find("19200"), std::string::npos) << StoreText(config);
}

}  // namespace
}  // namespace tapix::fault
