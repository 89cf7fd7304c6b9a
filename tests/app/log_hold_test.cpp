// The log lines of a busy line held for a moment: when they are held, when
// they go, and that nothing logged meanwhile changes its place.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/log_hold.h"
#include "fake_console.h"

namespace tapix {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using testing::BatchingConsole;
using Time = LogHold::Time;

struct LogHoldTest : ::testing::Test {
  LogHoldTest() { hold.Start(&console); }
  // What the session does for a batch of the line's events at `now`.
  void Publish(Time now, const std::string& lines) {
    LogBatch batch(console);
    hold.Open(now);
    console.Log(lines);
  }
  BatchingConsole console;
  LogHold hold;
  Time t0 = Time{} + std::chrono::hours(1);
};

TEST_F(LogHoldTest, AQuietLineIsLoggedAtOnceABusyOneUntilItsDeadline) {
  Publish(t0, "A005\nR\n");
  EXPECT_EQ(console.Written(), "A005\nR\n") << "the first message of a quiet line";
  EXPECT_FALSE(hold.Deadline());

  Publish(t0 + milliseconds(5), "A006\nR\n");
  EXPECT_EQ(console.writes_.size(), 2u) << "5 ms later the line is not busy";

  // Back to back: 50 us apart.
  Publish(t0 + milliseconds(5) + microseconds(50), "A007\nR\n");
  Publish(t0 + milliseconds(5) + microseconds(100), "A008\nR\n");
  EXPECT_EQ(console.writes_.size(), 2u);
  ASSERT_TRUE(hold.Deadline());
  EXPECT_EQ(*hold.Deadline(), t0 + milliseconds(5) + microseconds(100) + LogHold::kQuiet);
  hold.OnTimeout(*hold.Deadline() - microseconds(1));
  EXPECT_EQ(console.writes_.size(), 2u) << "not before the deadline";
  // A line logged meanwhile (a hang-up, a command's answer) keeps its place.
  console.Log("Befehl\n");
  hold.OnTimeout(*hold.Deadline());
  ASSERT_EQ(console.writes_.size(), 3u);
  EXPECT_EQ(console.writes_.back(), "A007\nR\nA008\nR\nBefehl\n") << "one write";
  EXPECT_FALSE(hold.Deadline());
}

TEST_F(LogHoldTest, ALineThatNeverPausesIsWrittenAtTheLongestHold) {
  Publish(t0, "0\n");
  Time now = t0;
  for (int i = 1; i < 1000 && console.writes_.size() < 3; ++i) {
    now += microseconds(500);
    Publish(now, std::to_string(i) + "\n");
    hold.OnTimeout(now);
  }
  ASSERT_EQ(console.writes_.size(), 3u);
  // The first line alone; the held ones went when the first of them was as
  // old as the longest hold (20 ms at 0.5 ms: 40 messages), and again.
  EXPECT_EQ(console.writes_[0], "0\n");
  EXPECT_EQ(console.writes_[1].rfind("1\n", 0), 0u);
  EXPECT_EQ(std::count(console.writes_[1].begin(), console.writes_[1].end(), '\n'), 41);
}

TEST_F(LogHoldTest, AnEchoReleaseOrTheEndWritesWhatIsHeldFirst) {
  Publish(t0, "A005\n");
  Publish(t0 + microseconds(10), "A006\n");
  console.Echo('E');
  EXPECT_EQ(console.Written(), "A005\nA006\nE");

  Publish(t0 + microseconds(20), "A007\n");
  hold.Release();
  EXPECT_EQ(console.Written(), "A005\nA006\nEA007\n");
  EXPECT_EQ(console.batches_, 0);

  Publish(t0 + microseconds(30), "A008\n");
  hold.End();
  EXPECT_EQ(console.Written(), "A005\nA006\nEA007\nA008\n");
  Publish(t0 + microseconds(40), "A009\n");
  EXPECT_EQ(console.Written(), "A005\nA006\nEA007\nA008\nA009\n") << "after the end nothing is held";
  EXPECT_EQ(console.batches_, 0);
}

}  // namespace
}  // namespace tapix
