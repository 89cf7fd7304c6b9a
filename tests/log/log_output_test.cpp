// The console layers a run composes: time stamps, the text encoding of the
// terminal and the log file.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <algorithm>
#include <cstdio>
#include <regex>
#include <set>
#include <sstream>

#include "log/log_chain.h"
#include "log/log_file.h"
#include "log/text_encoding.h"
#include "log/timestamps.h"
#include "fake_console.h"

namespace tapix {
namespace {

using std::chrono::milliseconds;
using testing::CaptureConsole;

// 01:02:03.045 on the first day of 1970, in UTC.
const LogClock::time_point kT0(milliseconds(3723045));

struct Utc : ::testing::Test {
  Utc() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
};

using Stamps = Utc;

TEST_F(Stamps, EveryLineOfLogAndEchoStartsWithItsTime) {
  CaptureConsole inner;
  LogClock::time_point now = kT0;
  TimestampConsole console(inner, [&now] { return now; });
  console.Log("eins\nzw");
  now += milliseconds(1);
  console.Log("ei\ndrei\n");  // the line begun keeps its stamp
  EXPECT_EQ(inner.log_, "[01:02:03.045] eins\n[01:02:03.045] zwei\n[01:02:03.046] drei\n");
  // The echo shares the line start with the log: one stamp for the echo line
  // and the words of a short write on it.
  console.Echo('A');
  console.Log(" timeout (A005)");
  console.Echo('\n');
  EXPECT_EQ(inner.all_.substr(inner.all_.size() - 32), "[01:02:03.046] A timeout (A005)\n");
}

TEST_F(Stamps, AMarkStampsTheNextLineAndTheWriteItBegan) {
  CaptureConsole inner;
  TimestampConsole console(inner, [] { return kT0 + milliseconds(500); });
  console.Mark(kT0);  // a write began
  console.Sent("R", "");
  console.Log("R\n");
  console.Log("danach\n");  // the mark was used up
  EXPECT_EQ(inner.sent_, "[01:02:03.045] R\n");
  EXPECT_EQ(inner.log_, "[01:02:03.045] R\n[01:02:03.545] danach\n");
  EXPECT_EQ(FormatStamp(kT0 + std::chrono::hours(23) + milliseconds(999)), "[00:02:04.044] ");
}

TEST_F(Stamps, WithTheDateForALogThatRunsForDays) {
  EXPECT_EQ(FormatStamp(kT0, StampForm::DateTime), "[01.01.1970 01:02:03.045] ");
  CaptureConsole inner;
  TimestampConsole console(inner, [] { return kT0 + std::chrono::hours(24 * 366); },
                           StampForm::DateTime);
  console.Log("A005\n");
  console.Mark(kT0);
  console.Sent("R", "");
  EXPECT_EQ(inner.log_, "[02.01.1971 01:02:03.045] A005\n");
  EXPECT_EQ(inner.sent_, "[01.01.1970 01:02:03.045] R\n");
}

TEST(Encoding, Utf8IsLosslessAndKeepsControlBytesOffTheTerminal) {
  EXPECT_EQ(ToUtf8("ung\xFCltig \x80\x9F\xFF"), "ung\xC3\xBCltig \xE2\x82\xAC\xC5\xB8\xC3\xBF");
  EXPECT_EQ(ToUtf8(std::string_view("\x1B[2J\0\r\x7F\x81\x9D\t\n", 11)),
            "\xE2\x90\x9B[2J\xE2\x90\x80\xE2\x90\x8D\xE2\x90\xA1<81><9D>\t\n");
  // Every byte value gives its own text, and none but tab and line feed
  // reaches the terminal as a control byte (C1 controls included).
  std::set<std::string> seen;
  for (int b = 0; b < 256; ++b) {
    const std::string out = ToUtf8(std::string(1, static_cast<char>(b)));
    EXPECT_TRUE(seen.insert(out).second) << b;
    for (std::size_t i = 0; i < out.size(); ++i) {
      const auto c = static_cast<unsigned char>(out[i]);
      if (b != '\t' && b != '\n') {
        EXPECT_GE(c, 0x20) << b;
      }
      if (c == 0xC2 && i + 1 < out.size()) {  // U+0080 to U+009F would be C1 controls
        EXPECT_GE(static_cast<unsigned char>(out[i + 1]), 0xA0) << b;
      }
    }
  }
  EXPECT_EQ(ForOutput("\xFC\x1B", TextMode::Raw), "\xFC\x1B");
}

TEST(Encoding, TheLocaleChoosesUnlessRawIsAsked) {
  ::setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(ChooseTextMode(false), TextMode::Utf8);
  EXPECT_EQ(ChooseTextMode(true), TextMode::Raw);
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(ChooseTextMode(false), TextMode::Raw);
  ::unsetenv("LC_ALL");
}

struct LogFileTest : Utc {
  LogFileTest() {
    char pattern[] = "/tmp/tapix-log-XXXXXX";
    dir = ::mkdtemp(pattern);
    path = dir + "/line.log";
  }
  ~LogFileTest() override { std::filesystem::remove_all(dir); }
  // The file after the line that dates the run (checked once below).
  std::string File() const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string all = text.str();
    const std::size_t start = all.find("---- Tapix, Protokoll vom ");
    if (start == std::string::npos) return all;
    return all.erase(start, all.find('\n', start) + 1 - start);
  }
  std::string dir, path;
};

TEST_F(LogFileTest, AppendsLinesAsTheyEndAndEveryWriteAsASentLine) {
  std::ofstream(path) << "alt\n";
  CaptureConsole inner;
  std::string error;
  auto file = LogFileConsole::Open(inner, path, &error);
  ASSERT_TRUE(file) << error;
  std::ifstream dated(path);
  std::string first, second;
  std::getline(dated, first);
  std::getline(dated, second);
  EXPECT_EQ(first, "alt");
  EXPECT_TRUE(std::regex_match(
      second, std::regex(R"(---- Tapix, Protokoll vom \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d ----)")))
      << second;
  file->Log("A005");
  EXPECT_EQ(File(), "alt\n");  // a line is written once it ends …
  file->Log("\nR\n");
  EXPECT_EQ(File(), "alt\nA005\nR\n");  // … and at once, not at the end of the run
  file->Sent("A005t", "[x] ");
  file->Echo('A');  // the echo stays on the console
  EXPECT_EQ(File(), "alt\nA005\nR\n[x] gesendet: A005t\n");
  EXPECT_EQ(inner.log_, "A005\nR\n");
  EXPECT_EQ(inner.echo_, "A");
  file->Log(" timeout");
  file.reset();  // an unfinished line is not lost at the end
  EXPECT_EQ(File(), "alt\nA005\nR\n[x] gesendet: A005t\n timeout");
}

// The lines of one read of the line reach the file in one write at the end
// of their batch, whole and in order with the trace of the writes; the
// console below is told of the batch too.
TEST_F(LogFileTest, ABatchsLinesGoOutTogetherAtItsEnd) {
  struct Batches final : Console {
    void Log(std::string_view) override {}
    void Echo(char) override {}
    void BeginBatch() override { ++begun; }
    void EndBatch() override { ++ended; }
    int begun = 0, ended = 0;
  } inner;
  std::string error;
  auto file = LogFileConsole::Open(inner, path, &error);
  ASSERT_TRUE(file) << error;
  {
    LogBatch batch(*file);
    file->Log("A005\n");
    file->Sent("R", "");
    {
      LogBatch inner_batch(*file);  // nested: the outer end writes
      file->Log("R\nB0");
    }
    EXPECT_EQ(File(), "") << "held until the batch ends";
  }
  EXPECT_EQ(File(), "A005\ngesendet: R\nR\n") << "the line begun waits for its end";
  file->Log("01\n");
  EXPECT_EQ(File(), "A005\ngesendet: R\nR\nB001\n");
  EXPECT_EQ(inner.begun, 2);
  EXPECT_EQ(inner.ended, 2);
}

TEST_F(LogFileTest, AFileThatCannotBeOpenedSaysWhy) {
  CaptureConsole inner;
  std::string error;
  EXPECT_FALSE(LogFileConsole::Open(inner, dir + "/no/such/folder/x.log", &error));
  EXPECT_NE(error.find("Fehler 2 - "), std::string::npos) << error;
  EXPECT_FALSE(LogFileConsole::Open(inner, dir, &error));  // a folder
  EXPECT_NE(error.find("Fehler 21 - "), std::string::npos) << error;
}

// A full disk, played with a file size limit (writes past it fail with
// EFBIG): the file keeps whole lines only, ends with the line that says the
// log stops there when that still fits, the console hears of it once, and
// the run learns that the record is not whole.
TEST_F(LogFileTest, AFailedWriteLeavesWholeLinesAndSaysWhereTheLogStops) {
  const auto run = [this](rlim_t room, const std::string& lost_line) {
    std::filesystem::remove(path);
    CaptureConsole inner;
    std::string error;
    auto file = LogFileConsole::Open(inner, path, &error);
    EXPECT_TRUE(file) << error;
    if (!file) return std::string();
    file->Log("A005\nR\n");
    EXPECT_FALSE(file->Lost());
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{std::filesystem::file_size(path) + room, old.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    file->Log(lost_line);
    file->Sent("B001", "");
    file->Log("danach\n");
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, previous);
    EXPECT_TRUE(file->Lost());
    EXPECT_EQ(inner.log_.find("Protokolldatei " + path + ": Schreibfehler 27 - "),
              lost_line.size() + 7)
        << inner.log_;
    EXPECT_EQ(inner.log_.find("Schreibfehler", inner.log_.find("Schreibfehler") + 1),
              std::string::npos) << "said once";
    file.reset();
    return File();
  };
  // A long line that fails part-way: cut back, and the stop line fits.
  EXPECT_EQ(run(100, std::string(300, 'x') + "\n"),
            "A005\nR\n" + std::string(kStopLine) + "27 - File too large ----\n");
  // A short line on a disk with no room left: the file ends with the last
  // whole line, no half of the next.
  EXPECT_EQ(run(3, "S00050123\n"), "A005\nR\n");
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

const std::regex kDatedLine(R"(---- Tapix, Protokoll vom \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d ----\n)");

// The numbers of the lines "Zeile N ..." after a file's dated line; -1 for a
// file that does not begin with one or holds a line of another form.
std::vector<int> Numbered(const std::string& text) {
  std::smatch dated;
  const std::string::const_iterator start = text.begin();
  if (!std::regex_search(start, text.end(), dated, kDatedLine,
                         std::regex_constants::match_continuous))
    return {-1};
  std::vector<int> numbers;
  std::istringstream lines(text.substr(static_cast<std::size_t>(dated.length())));
  for (std::string line; std::getline(lines, line);) {
    int n = -1;
    if (std::sscanf(line.c_str(), "Zeile %d", &n) != 1) return {-1};
    numbers.push_back(n);
  }
  return numbers;
}

// A week on site: FILE never passes its limit, FILE.1 holds the lines before
// it, both begin with the dated line and hold whole lines only, and no line
// between them is lost or doubled. The console hears nothing of it.
TEST_F(LogFileTest, ASizeLimitRotatesBetweenWholeLinesAndKeepsOneGeneration) {
  CaptureConsole inner;
  std::string error;
  auto file = LogFileConsole::Open(inner, path, &error, 1024);
  ASSERT_TRUE(file) << error;
  for (int i = 0; i < 100; ++i) {
    file->Log("Zeile " + std::to_string(i) + " " + std::string(25, 'x'));
    file->Log("\n");  // a line logged in two pieces is never split between files
    ASSERT_LE(std::filesystem::file_size(path), 1024u) << i;
  }
  file.reset();
  const std::vector<int> older = Numbered(Read(path + ".1"));
  const std::vector<int> newer = Numbered(Read(path));
  ASSERT_FALSE(older.empty());
  ASSERT_FALSE(newer.empty());
  ASSERT_NE(older[0], -1);
  ASSERT_NE(newer[0], -1);
  EXPECT_EQ(older.back() + 1, newer.front());
  EXPECT_EQ(newer.back(), 99);
  for (std::size_t i = 1; i < older.size(); ++i) EXPECT_EQ(older[i], older[i - 1] + 1);
  for (std::size_t i = 1; i < newer.size(); ++i) EXPECT_EQ(newer[i], newer[i - 1] + 1);
  EXPECT_LE(std::filesystem::file_size(path + ".1"), 1024u);
  EXPECT_GT(older.front(), 0);  // older generations are gone
  EXPECT_EQ(std::count(inner.log_.begin(), inner.log_.end(), '\n'), 100);
}

// A busy line's lines come as one batch that may be larger than a whole
// file: it is spread over the files in turn, none past the limit, and a line
// longer than the limit still lands whole in a file of its own.
TEST_F(LogFileTest, ABatchLargerThanAFileIsSpreadOverFilesAtWholeLines) {
  CaptureConsole inner;
  std::string error;
  auto file = LogFileConsole::Open(inner, path, &error, 1024);
  ASSERT_TRUE(file) << error;
  {
    LogBatch batch(*file);
    for (int i = 0; i < 100; ++i) file->Log("Zeile " + std::to_string(i) + " " + std::string(25, 'x') + "\n");
  }
  EXPECT_LE(std::filesystem::file_size(path), 1024u);
  EXPECT_LE(std::filesystem::file_size(path + ".1"), 1024u);
  const std::vector<int> older = Numbered(Read(path + ".1"));
  const std::vector<int> newer = Numbered(Read(path));
  ASSERT_FALSE(older.empty());
  ASSERT_FALSE(newer.empty());
  EXPECT_EQ(older.back() + 1, newer.front());
  EXPECT_EQ(newer.back(), 99);

  const std::string longest = std::string(2000, 'L') + "\n";
  {
    LogBatch batch(*file);
    file->Log("vorher\n");
    file->Log(longest);
    file->Log("nachher\n");
  }
  EXPECT_NE(Read(path + ".1").find(longest), std::string::npos);
  EXPECT_TRUE(std::regex_match(Read(path), std::regex(R"(---- Tapix[^\n]*----\nnachher\n)"))) << Read(path);
}

TEST_F(LogFileTest, AFileAlreadyFullAtTheStartIsRotatedFirst) {
  std::ofstream(path) << std::string(1000, 'a') << "\n";
  std::ofstream(path + ".1") << "sehr alt\n";
  CaptureConsole inner;
  std::string error;
  auto file = LogFileConsole::Open(inner, path, &error, 1024);
  ASSERT_TRUE(file) << error;
  file->Log("A005\n");
  EXPECT_EQ(Read(path + ".1"), std::string(1000, 'a') + "\n");
  EXPECT_TRUE(std::regex_match(Read(path), std::regex(R"(---- Tapix[^\n]*----\nA005\n)"))) << Read(path);
  // A size limit needs a file that can be renamed: never a device.
  EXPECT_FALSE(LogFileConsole::Open(inner, "/dev/null", &error, 1024));
  EXPECT_NE(error.find("gew\xF6hnliche Datei"), std::string::npos) << error;
}

// A rotation that cannot be done loses the log from there, as a full disk
// does: the file ends with the stop line, the console hears it once, and the
// run learns that the record is not whole (exit code 4).
TEST_F(LogFileTest, ARotationThatFailsEndsTheFileWithTheStopLine) {
  std::filesystem::create_directories(path + ".1/voll");
  CaptureConsole inner;
  std::string error;
  auto file = LogFileConsole::Open(inner, path, &error, 1024);
  ASSERT_TRUE(file) << error;
  for (int i = 0; i < 40 && !file->Lost(); ++i) file->Log("Zeile " + std::string(40, 'x') + "\n");
  EXPECT_TRUE(file->Lost());
  file->Log("danach\n");
  const std::string text = Read(path);
  const std::string stop = std::string(kStopLine) + "21 - Is a directory ----\n";
  ASSERT_GE(text.size(), stop.size());
  EXPECT_EQ(text.substr(text.size() - stop.size()), stop);
  EXPECT_EQ(text.find("danach"), std::string::npos);
  EXPECT_NE(inner.log_.find("Protokolldatei " + path + ": nicht in " + path +
                            ".1 umbenannt, Fehler 21 - Is a directory, keine weiteren Zeilen.\n"),
            std::string::npos)
      << inner.log_;
  EXPECT_NE(inner.log_.find("danach"), std::string::npos);  // the console goes on
}

TEST(LogSize, SizesAsTheCommandLineWritesThem) {
  EXPECT_EQ(ParseLogSize("10M"), 10 << 20);
  EXPECT_EQ(ParseLogSize("500k"), 500 << 10);
  EXPECT_EQ(ParseLogSize("2G"), std::int64_t{2} << 30);
  EXPECT_EQ(ParseLogSize("1024"), 1024);
  EXPECT_EQ(ParseLogSize("1K"), 1024);
  for (const char* bad : {"", "k", "0", "1023", "10MB", "1.5M", " 10M", "-1k", "999999999999G"}) {
    EXPECT_FALSE(ParseLogSize(bad)) << bad;
  }
}

TEST_F(LogFileTest, TheChainStampsAndEncodesTheFileAsTheTerminal) {
  std::string error;
  auto chain = LogChain::Make(path, true, TextMode::Utf8, &error);
  ASSERT_TRUE(chain) << error;
  chain->Top().Mark(kT0);
  chain->Top().Sent("A005\x1B\n", "");  // a written line feed stays inside its line
  chain->Top().Mark(kT0 + milliseconds(7));
  chain->Top().Log("f Storno ung\xFCltig\n");
  EXPECT_EQ(File(),
            "[01:02:03.045] gesendet: A005\xE2\x90\x9B\xE2\x90\x8A\n"
            "[01:02:03.052] f Storno ung\xC3\xBCltig\n");
  // The window's history keeps the program's own bytes, stamped.
  EXPECT_EQ(chain->History().Text(), "[01:02:03.052] f Storno ung\xFCltig\n");
}

}  // namespace
}  // namespace tapix
