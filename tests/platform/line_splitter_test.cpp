// Command lines cut from a byte stream as any platform's reader delivers it
// (a pipe read, a console read, a reader thread's chunks).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/console_input.h"

namespace tapix {
namespace {

class LineSplitterTest : public ::testing::Test {
 protected:
  void Feed(const std::string& bytes) { splitter_.Feed(bytes, take_); }
  void Finish() { splitter_.Finish(take_); }
  LineSplitter splitter_;
  std::vector<std::string> lines_;
  LineSink take_ = [this](std::string_view l) { lines_.emplace_back(l); };
};

TEST_F(LineSplitterTest, LinesCutAnywhereComeOutWhole) {
  Feed("A 5\r");
  Feed("\nB");
  Feed(" 7\n\nx\ry\n");
  Feed("E");
  EXPECT_EQ(lines_, (std::vector<std::string>{"A 5", "B 7", "", "x\ry"}));
  Finish();  // the last line without a line end still counts, once
  Finish();
  EXPECT_EQ(lines_.back(), "E");
  EXPECT_EQ(lines_.size(), 5u);
}

TEST_F(LineSplitterTest, AnOverlongLineIsCutSoItCanBeRejectedAndTheNextStaysWhole) {
  const std::string overlong(kMaxCommandLine + 500, 'x');
  for (std::size_t i = 0; i < overlong.size(); i += 1000) Feed(overlong.substr(i, 1000));
  Feed("\nquit\n");
  ASSERT_EQ(lines_.size(), 2u);
  EXPECT_EQ(lines_[0], std::string(kMaxCommandLine + 1, 'x'));
  EXPECT_EQ(lines_[1], "quit");
}
}  // namespace
}  // namespace tapix
