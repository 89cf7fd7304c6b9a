#include "log/log_history.h"

#include <gtest/gtest.h>

#include "fake_console.h"

namespace tapix {
namespace {

TEST(LogHistory, PassesEverythingOnAndKeepsTheLastLinesEchoIncluded) {
  testing::CaptureConsole out;
  LogHistory history(out, 3);
  history.Log("CreateFile (COM1) failed with error 2 - No such file or directory\n\n");
  history.Log("A005\n");
  for (char c : std::string("A005")) history.Echo(c);
  history.Echo('\n');
  history.Log("R");
  // The console sees exactly what it saw without the history.
  EXPECT_EQ(out.log_, "CreateFile (COM1) failed with error 2 - No such file or directory\n\nA005\nR");
  EXPECT_EQ(out.echo_, "A005\n");
  // The oldest line went; the open line is kept.
  EXPECT_EQ(history.Text(), "\nA005\nA005\nR");
}

TEST(LogHistory, AListenerFollowsFromNowOnAndBytesStayWhole) {
  testing::CaptureConsole out;
  LogHistory history(out);
  history.Log("before\n");
  std::string seen;
  history.SetListener([&seen](std::string_view text) { seen.append(text); });
  history.Log(std::string_view("x\0y\n", 4));  // a 0 byte from the line stays
  history.Echo('\x1B');
  history.SetListener({});
  history.Log("after\n");
  EXPECT_EQ(seen, std::string("x\0y\n\x1B", 5));
  EXPECT_EQ(history.Text(), std::string("before\nx\0y\n\x1B" "after\n", 18));
}

TEST(LogHistory, ALineThatNeverEndsIsBounded) {
  testing::CaptureConsole out;
  LogHistory history(out, 4);
  const std::string chunk(1 << 15, 'z');
  for (int i = 0; i < 40; ++i) history.Log(chunk);
  EXPECT_LT(history.Text().size(), std::size_t{6} << 17);  // 4 lines + the open one, each < 128 KiB
}

}  // namespace
}  // namespace tapix
