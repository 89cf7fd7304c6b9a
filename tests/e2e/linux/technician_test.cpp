// What a technician on site runs: the log file, time stamps, the text
// encoding of the terminal, and the line tap between two devices.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <regex>

#include "tap_cases.h"
#include "tapix_process.h"

namespace tapix::e2e {
namespace {

// The lines of a text, line feeds removed.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Milliseconds since midnight of a stamped line; -1 without a stamp.
long StampMillis(const std::string& line) {
  std::smatch m;
  static const std::regex stamp(R"(^\[(\d\d):(\d\d):(\d\d)\.(\d\d\d)\] )");
  if (!std::regex_search(line, m, stamp)) return -1;
  return ((std::stol(m[1]) * 60 + std::stol(m[2])) * 60 + std::stol(m[3])) * 1000 + std::stol(m[4]);
}

TEST(LogFile, HoldsBothDirectionsInOrderWithIncreasingStamps) {
  TempDir config;
  PtyPair pty;
  const std::string file = config.path() + "/line.log";
  {
    std::ofstream earlier(file);
    earlier << "vorher\n";
  }
  TapixProcess tapix({"--no-window", "--timestamps", "--log=" + file, pty.path() + ",9600,N,8,1"},
                     config.path());
  ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();
  tapix.Command("A 5");  // the HOST request …
  EXPECT_EQ(pty.Receive(4), "A005");
  std::this_thread::sleep_for(milliseconds(30));
  pty.Send("R");  // … and the dispenser's answer
  ASSERT_NE(tapix.WaitFor("R\n"), std::string::npos) << tapix.Log();
  std::this_thread::sleep_for(milliseconds(30));
  pty.Send("B007");  // a message from the line, answered by Tapix
  EXPECT_EQ(pty.Receive(1), "R");
  ASSERT_NE(tapix.WaitFor("B007\n"), std::string::npos);
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0);

  const std::vector<std::string> lines = Lines(ReadFile(file));
  ASSERT_FALSE(lines.empty());
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "vorher");  // appended, not replaced
  EXPECT_EQ(lines[1].rfind("---- Tapix, Protokoll vom ", 0), 0u) << lines[1];
  // The traffic, stamps stripped, in the order it happened on the line.
  std::vector<std::string> traffic;
  long last = -1;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const long at = StampMillis(lines[i]);
    ASSERT_GE(at, 0) << "line without a stamp: " << lines[i];
    EXPECT_GE(at, last) << lines[i];
    last = at;
    const std::string text = lines[i].substr(15);
    if (text.rfind("gesendet: ", 0) == 0 || text == "R" || text == "B007") traffic.push_back(text);
  }
  const std::vector<std::string> expected = {"gesendet: A005", "R", "B007", "gesendet: R", "R"};
  EXPECT_EQ(traffic, expected);
  // Standard output keeps what it showed: no sent lines there, stamps on every line.
  EXPECT_EQ(tapix.Log().find("gesendet"), std::string::npos);
  for (const std::string& line : Lines(tapix.Log())) {
    if (!line.empty()) {
      EXPECT_GE(StampMillis(line), 0) << line;
    }
  }
  // The answer is stamped later than the request went out, by at least the
  // pauses between them.
  long request = -1, answer = -1;
  for (const std::string& line : lines) {
    if (line.find("gesendet: A005") != std::string::npos) request = StampMillis(line);
    if (line.find("] B007") != std::string::npos) answer = StampMillis(line);
  }
  EXPECT_GE(answer - request, 50);
}

TEST(LogFile, AFileThatCannotBeOpenedEndsTheStart) {
  TempDir config;
  TapixProcess tapix({"--no-window", "--log=" + config.path() + "/no/such/folder/x.log", "1"},
                     config.path());
  EXPECT_EQ(tapix.Wait(), 2);
  EXPECT_NE(tapix.Log().find("Protokolldatei"), std::string::npos) << tapix.Log();
  EXPECT_NE(tapix.Log().find("No such file"), std::string::npos) << tapix.Log();
  EXPECT_EQ(StoreText(config), "");  // nothing was started, nothing saved
}

// The log file's disk fills up during the run (a file size limit put on the
// running program plays it): the run goes on, says so once, the file ends
// with the line that says the log stops there, and the exit code tells that
// the record is not whole.
TEST(LogFile, AFullDiskEndsTheRunWithFourAndTheFileSaysWhereItStops) {
  TempDir config;
  PtyPair pty;
  const std::string file = config.path() + "/line.log";
  TapixProcess tapix({"--no-window", "--log=" + file, pty.path() + ",9600,N,8,1"}, config.path());
  ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();
  rlimit limit{};
  ASSERT_EQ(::prlimit(tapix.pid(), RLIMIT_FSIZE, nullptr, &limit), 0);
  limit.rlim_cur = std::filesystem::file_size(file) + 120;
  ASSERT_EQ(::prlimit(tapix.pid(), RLIMIT_FSIZE, &limit, nullptr), 0);
  tapix.Command("help");  // many lines in one write: more than the room left
  ASSERT_NE(tapix.WaitFor("Protokolldatei " + file + ": Schreibfehler 27 - "), std::string::npos)
      << tapix.Log();
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R") << "the run goes on without the file";
  EXPECT_NE(tapix.WaitFor("A005\nR\n"), std::string::npos);
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 4) << tapix.Log();
  const std::string text = ReadFile(file);
  const std::string stop = "---- Protokoll hier abgebrochen: Schreibfehler 27 - File too large ----\n";
  ASSERT_GE(text.size(), stop.size());
  EXPECT_EQ(text.substr(text.size() - stop.size()), stop) << text;
  EXPECT_EQ(text.find("A005"), std::string::npos) << text;
  EXPECT_EQ(text.find("Befehle"), std::string::npos) << "half of the help reached the file\n" << text;
  // The settings are still saved at the end.
  EXPECT_NE(StoreText(config).find("\"Baud\"=\"9600\""), std::string::npos) << StoreText(config);
}

// Bytes from the line on standard output: an ESC must not reach a UTF-8
// terminal raw; --raw writes exactly what came.
TEST(Encoding, Utf8ShowsControlBytesAsPicturesAndRawKeepsTheBytes) {
  for (const bool raw : {false, true}) {
    TempDir config;
    PtyPair pty;
    std::vector<std::string> args = {"--no-window", pty.path() + ",9600,N,8,1"};
    if (raw) args.push_back("--raw");
    TapixProcess tapix(args, config.path(), {{"LC_ALL", "C.UTF-8"}});
    ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();
    pty.Send("\x1b" "f\x9d");
    ASSERT_NE(tapix.WaitFor("(9D) unerwartet\n"), std::string::npos) << tapix.Log();
    const std::string& log = tapix.Log();
    if (raw) {
      EXPECT_NE(log.find("\x1b (1B) unerwartet\nf Storno ung\xFCltig\n\x9d (9D)"), std::string::npos);
    } else {
      EXPECT_EQ(log.find('\x1b'), std::string::npos);
      EXPECT_NE(log.find("\xE2\x90\x9B (1B) unerwartet\nf Storno ung\xC3\xBCltig\n<9D> (9D)"),
                std::string::npos)
          << log;
    }
    tapix.Command("quit");
    EXPECT_EQ(tapix.Wait(), 0);
  }
  // The help follows the same rule.
  TempDir config;
  TapixProcess utf8({"--help"}, config.path(), {{"LC_ALL", "C.UTF-8"}});
  TapixProcess raw({"--help", "--raw"}, config.path(), {{"LC_ALL", "C.UTF-8"}});
  EXPECT_EQ(utf8.Wait(), 0);
  EXPECT_EQ(raw.Wait(), 0);
  EXPECT_NE(utf8.Log().find("Ger\xC3\xA4tepfad"), std::string::npos);
  EXPECT_NE(raw.Log().find("Ger\xE4tepfad"), std::string::npos);
}

// Tapix between the cash register (first pty pair) and the dispenser (second).
struct PtyTap {
  std::unique_ptr<TapixProcess> Start(bool listen_only, bool window = false) {
    std::vector<std::string> args = {kasse.path() + ",9600,N,8,1",
                                     (listen_only ? "--tap-listen=" : "--tap=") + isb.path()};
    if (!window) args.push_back("--no-window");
    // The window on Qt's offscreen platform: its boxes, worked through the
    // console commands, set the flags the decoders read.
    auto tapix = std::make_unique<TapixProcess>(
        args, config.path(),
        std::vector<std::pair<std::string, std::string>>{{"QT_QPA_PLATFORM", "offscreen"}});
    EXPECT_NE(tapix->WaitFor(", Schankanlage an COM"), std::string::npos) << tapix->Log();
    return tapix;
  }

  TempDir config;
  PtyPair kasse;
  PtyPair isb;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Pty, TapCases, PtyTap);

namespace {

using Tap = TapFixture<PtyTap>;

TEST_F(Tap, WithTheWindowTheBoxesSetHowMessagesAreRead) {
  auto tapix = line.Start(false, true);
  tapix->Command("Checksum on");
  tapix->Command("CreditQuantity on");
  std::this_thread::sleep_for(milliseconds(200));
  Passes(kasse, isb, "K00050123x");
  Passes(isb, kasse, "R");
  EXPECT_NE(tapix->WaitFor("Kasse > ISB: K00050123x Fehler Chksumme (N)\nISB > Kasse: R\n"),
            std::string::npos)
      << tapix->Log();
  ::kill(tapix->pid(), SIGTERM);
  EXPECT_EQ(tapix->Wait(), 0);
}

TEST_F(Tap, NeedsBothPorts) {
  TapixProcess missing({"--no-window", kasse.path(), "--tap=/dev/tapix-no-such-device"},
                       line.config.path());
  EXPECT_EQ(missing.Wait(), 2);
  EXPECT_NE(missing.Log().find("Mith\xF6ren braucht beide"), std::string::npos) << missing.Log();
  TapixProcess same({"--no-window", kasse.path(), "--tap=" + kasse.path()}, line.config.path());
  EXPECT_EQ(same.Wait(), 2);
  EXPECT_NE(same.Log().find("ung\xFCltig"), std::string::npos) << same.Log();
}

TEST(Info, VersionAndPortList) {
  TempDir config;
  TapixProcess version({"--version"}, config.path());
  EXPECT_EQ(version.Wait(), 0);
  EXPECT_TRUE(std::regex_match(version.Log(), std::regex(R"(tapix \d+\.\d+(\.\d+)*\n)")))
      << version.Log();
  TapixProcess list({"--list"}, config.path());
  EXPECT_EQ(list.Wait(), 0);
  for (const std::string& line : Lines(list.Log())) {
    EXPECT_TRUE(std::regex_search(line, std::regex(R"(^COM\d+\t/)")) ||
                line == "Keine Schnittstelle gefunden.")
        << line;
  }
}

}  // namespace
}  // namespace tapix::e2e
