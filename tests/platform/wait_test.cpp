// The platform's waiting: the wait set over several sources, the periodic
// timer and the console input, on sources the test makes ready by hand.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/console_input.h"
#include "platform/periodic_timer.h"
#include "platform/signals.h"
#include "platform/wait_set.h"
#include "test_sources.h"

namespace tapix {
namespace {

using testing::InputPipe;
using testing::ReadySource;
using Tags = std::vector<WaitSet::Tag>;

// Longer than any test should need: a wait that ends by it has failed.
constexpr int kPatience = 10000;

TEST(WaitSet, ReportsEverySourceThatIsReadyNotOnlyTheFirst) {
  ReadySource a, b, c;
  WaitSet waits;
  waits.Add(a.Handle(), 1);
  waits.Add(kNoWaitHandle, 9);  // nothing to wait on: left out
  waits.Add(b.Handle(), 2);
  waits.Add(c.Handle(), 3);
  b.Set();
  c.Set();
  ASSERT_TRUE(waits.Wait(kPatience));
  EXPECT_EQ(waits.Ready(), (Tags{2, 3}));
  // A source that stays ready hides none that comes after it.
  a.Set();
  c.Reset();
  ASSERT_TRUE(waits.Wait(kPatience));
  EXPECT_EQ(waits.Ready(), (Tags{1, 2}));
  EXPECT_TRUE(waits.IsReady(1));
  EXPECT_FALSE(waits.IsReady(3));
}

TEST(WaitSet, ATimeOutReportsNothingAndClearForgetsTheSources) {
  ReadySource a;
  WaitSet waits;
  waits.Add(a.Handle(), 1);
  ASSERT_TRUE(waits.Wait(10));
  EXPECT_TRUE(waits.Ready().empty());
  a.Set();
  waits.Clear();
  ReadySource b;
  waits.Add(b.Handle(), 2);
  ASSERT_TRUE(waits.Wait(10));
  EXPECT_TRUE(waits.Ready().empty()) << "a forgotten source was reported";
}

// The query timer: every wake that shows it ready has a tick to take (a
// ready handle without one would make the loop spin), and ticks that came
// while nobody looked are counted, not lost.
TEST(PeriodicTimer, EveryWakeHasATickAndLateTicksAreCounted) {
  PeriodicTimer timer(30);
  ASSERT_NE(timer.Handle(), kNoWaitHandle);
  WaitSet waits;
  waits.Add(timer.Handle(), 7);
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(waits.Wait(kPatience));
    ASSERT_TRUE(waits.IsReady(7)) << "wake " << i;
    // Ready until taken: a second look still sees it.
    ASSERT_TRUE(waits.Wait(0));
    EXPECT_TRUE(waits.IsReady(7)) << "wake " << i;
    EXPECT_GE(timer.Take(), 1u) << "wake " << i;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_GE(timer.Take(), 5u);
  ASSERT_TRUE(waits.Wait(0));
  if (waits.IsReady(7)) {
    EXPECT_GE(timer.Take(), 1u);
  }
}

// Gathers and takes lines until `count` came or the input ended.
std::vector<std::string> TakeLines(ConsoleInput& input, std::size_t count) {
  std::vector<std::string> lines;
  WaitSet waits;
  std::string line;
  while (lines.size() < count) {
    switch (input.Take(line)) {
      case ConsoleInput::Next::Line:
        lines.push_back(line);
        continue;
      case ConsoleInput::Next::End:
        return lines;
      case ConsoleInput::Next::None:
        break;
    }
    waits.Clear();
    waits.Add(input.Handle(), 0);
    if (!waits.Wait(kPatience) || waits.Ready().empty()) {
      ADD_FAILURE() << "no input came";
      return lines;
    }
    input.Gather();
  }
  return lines;
}

TEST(ConsoleInput, LinesCutAnywhereComeOutWholeAndTheEndOnce) {
  InputPipe pipe;
  ConsoleInput input(pipe.ReadEnd());
  std::string line;
  input.Gather();  // nothing there: returns at once, even on a blocking pipe
  EXPECT_EQ(input.Take(line), ConsoleInput::Next::None);
  pipe.Write("A 5\r\nB");
  EXPECT_EQ(TakeLines(input, 1), (std::vector<std::string>{"A 5"}));
  pipe.Write(" 7\n\n");
  EXPECT_EQ(TakeLines(input, 2), (std::vector<std::string>{"B 7", ""}));
  pipe.Write(std::string(kMaxCommandLine + 10, 'x') + "\nE");
  pipe.Close();
  // The last line without its line end still counts; an overlong one is cut
  // so that the command reader can refuse it.
  EXPECT_EQ(TakeLines(input, 10),
            (std::vector<std::string>{std::string(kMaxCommandLine + 1, 'x'), "E"}));
  EXPECT_FALSE(input.Open());
  EXPECT_EQ(input.Handle(), kNoWaitHandle);
  EXPECT_EQ(input.Take(line), ConsoleInput::Next::End);
}

TEST(ConsoleInput, TheAnswerTakesOneLineAndLeavesTheRestForTheLoop) {
  InputPipe pipe;
  ConsoleInput input(pipe.ReadEnd());
  pipe.Write("3\nA 5\nquit\n");
  std::string answer;
  ASSERT_TRUE(input.ReadAnswer(answer, InstallStopSignals()));
  EXPECT_EQ(answer, "3");
  pipe.Close();
  EXPECT_EQ(TakeLines(input, 10), (std::vector<std::string>{"A 5", "quit"}));
  EXPECT_FALSE(input.ReadAnswer(answer, InstallStopSignals())) << "at the end of input";
}

TEST(ConsoleInput, TheAnswerEndsWithTheInputOrAStop) {
  {
    InputPipe pipe;
    ConsoleInput input(pipe.ReadEnd());
    pipe.Write("5");
    pipe.Close();
    std::string answer;
    ASSERT_TRUE(input.ReadAnswer(answer, InstallStopSignals())) << "a last line without its end";
    EXPECT_EQ(answer, "5");
  }
  InputPipe pipe;
  ConsoleInput input(pipe.ReadEnd());
  testing::RequestStop();
  std::string answer;
  EXPECT_FALSE(input.ReadAnswer(answer, InstallStopSignals()));
  EXPECT_FALSE(StopPending()) << "the question took the stop";
  pipe.Write("7\n");
  EXPECT_EQ(TakeLines(input, 1), (std::vector<std::string>{"7"})) << "the input goes on";
}

TEST(ConsoleInput, AnInputThatIsNotThereHasEnded) {
  ConsoleInput input(kNoWaitHandle);
  std::string line;
  EXPECT_TRUE(TakeLines(input, 1).empty());
  EXPECT_FALSE(input.Open());
}

TEST(StopSignals, APendingStopIsSeenWithoutTakingIt) {
  InstallStopSignals();
  EXPECT_FALSE(StopPending());
  testing::RequestStop();
  EXPECT_TRUE(StopPending());
  EXPECT_TRUE(StopPending()) << "looking does not take it";
  EXPECT_TRUE(TakeStopSignal());
  EXPECT_FALSE(StopPending());
  EXPECT_FALSE(TakeStopSignal());
}

}  // namespace
}  // namespace tapix
