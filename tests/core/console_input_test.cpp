// Command lines from standard input, and the program's own options.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/console_input.h"
#include "core/startup.h"

namespace tapix {
namespace {

struct Pipe {
  Pipe() {
    EXPECT_EQ(::pipe2(fd, O_NONBLOCK), 0);
  }
  ~Pipe() {
    ::close(fd[0]);
    if (fd[1] >= 0) ::close(fd[1]);
  }
  void Put(const std::string& s) { ASSERT_EQ(::write(fd[1], s.data(), s.size()), static_cast<ssize_t>(s.size())); }
  void End() {
    ::close(fd[1]);
    fd[1] = -1;
  }
  int fd[2];
};

TEST(LineReader, SplitsLinesAcrossReads) {
  Pipe p;
  LineReader reader(p.fd[0]);
  std::vector<std::string> lines;
  auto take = [&](std::string_view l) { lines.emplace_back(l); };
  p.Put("A 5\r\nB");
  EXPECT_TRUE(reader.ReadAvailable(take));
  p.Put(" 7\n\nE");
  EXPECT_TRUE(reader.ReadAvailable(take));
  EXPECT_TRUE(reader.ReadAvailable(take));  // nothing there: still open
  p.End();
  EXPECT_FALSE(reader.ReadAvailable(take));
  EXPECT_EQ(lines, (std::vector<std::string>{"A 5", "B 7", "", "E"}));
}

TEST(LineReader, OverlongLineIsCutSoItCanBeRejected) {
  Pipe p;
  LineReader reader(p.fd[0]);
  std::vector<std::string> lines;
  auto take = [&](std::string_view l) { lines.emplace_back(l); };
  p.Put(std::string(5000, 'x') + "\nquit\n");
  while (lines.size() < 2 && reader.ReadAvailable(take)) {
  }
  reader.ReadAvailable(take);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::string(kMaxCommandLine + 1, 'x'));
  EXPECT_EQ(lines[1], "quit");
}

TEST(CommandLine, OptionsAndTheFirstArgument) {
  StartOptions o = ParseCommandLine({"--no-window", "0,4800", "3,9600", "--pty=/tmp/x"});
  EXPECT_TRUE(o.no_window);
  EXPECT_TRUE(o.virtual_line);
  EXPECT_EQ(o.virtual_link, "/tmp/x");
  ASSERT_TRUE(o.line_argument);
  EXPECT_EQ(*o.line_argument, "0,4800");
  EXPECT_TRUE(o.error.empty());
  EXPECT_FALSE(ParseCommandLine({}).line_argument);
  EXPECT_FALSE(ParseCommandLine({"--bogus"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--pty="}).error.empty());
  EXPECT_TRUE(ParseCommandLine({"--pty"}).virtual_link.empty());
}

TEST(CommandLine, TechnicianOptions) {
  StartOptions o = ParseCommandLine(
      {"/dev/ttyUSB0", "--log=/tmp/a b.log", "--timestamps", "--raw", "--tap=/dev/ttyUSB1"});
  EXPECT_TRUE(o.error.empty()) << o.error;
  EXPECT_EQ(o.log_path, "/tmp/a b.log");
  EXPECT_TRUE(o.timestamps && o.raw);
  EXPECT_EQ(o.tap_port, "/dev/ttyUSB1");
  EXPECT_FALSE(o.tap_listen);
  o = ParseCommandLine({"1", "--tap-listen=2"});
  EXPECT_TRUE(o.tap_listen);
  EXPECT_EQ(o.tap_port, "2");
  EXPECT_TRUE(ParseCommandLine({"--version", "--list"}).show_version);
  // Values that are missing or do not fit together are refused, not guessed.
  EXPECT_FALSE(ParseCommandLine({"--log="}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--log"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--tap="}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"1", "--tap-listen"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--pty", "--tap=2"}).error.empty());
}

}  // namespace
}  // namespace tapix
