// The window loop's wait: window messages wake it like any other source,
// also those already looked at and left in the queue.
#include <gtest/gtest.h>

#include "platform/wait_set.h"
#include "test_sources.h"

#include <windows.h>

namespace tapix {
namespace {

TEST(WaitSetWindowMessages, AMessageInTheQueueWakesTheWaitAndIsReportedWithTheOthers) {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue
  testing::ReadySource source;
  WaitSet waits;
  waits.AddWindowMessages(5);
  waits.Add(source.Handle(), 1);
  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0));
  ASSERT_TRUE(waits.Wait(10000));
  EXPECT_EQ(waits.Ready(), (std::vector<WaitSet::Tag>{5}));
  // Seen but left in the queue: it still wakes the next wait.
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  source.Set();
  ASSERT_TRUE(waits.Wait(10000));
  EXPECT_EQ(waits.Ready(), (std::vector<WaitSet::Tag>{1, 5}));
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  source.Reset();
  ASSERT_TRUE(waits.Wait(10));
  EXPECT_TRUE(waits.Ready().empty());
}

}  // namespace
}  // namespace tapix
