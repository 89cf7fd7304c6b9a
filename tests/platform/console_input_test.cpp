// Command lines from standard input (a descriptor read without blocking).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/console_input.h"

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

}  // namespace
}  // namespace tapix
