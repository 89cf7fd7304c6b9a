// The periodic timer on Windows: a manual-reset waitable timer, set for one
// tick at a time. It stays signalled until Take counts the periods that have
// passed and sets it for the next one, on the phase of the start, so a late
// Take neither loses ticks nor shifts the ones after it. (A periodic
// auto-reset timer would be taken by the wait that sees it, and a look at it
// by anyone else would lose the tick.)
#include "platform/periodic_timer.h"

#include <chrono>

#include <windows.h>

namespace tapix {
namespace {

std::int64_t NowMillis() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Sets `timer` to fire `due_ms` from now (relative, in 100 ns units).
void SetDue(HANDLE timer, std::int64_t due_ms) {
  LARGE_INTEGER due;
  due.QuadPart = -(due_ms > 0 ? due_ms : 0) * 10000 - 1;
  ::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
}

}  // namespace

PeriodicTimer::PeriodicTimer(int period_ms) : period_ms_(period_ms > 0 ? period_ms : 1) {
  HANDLE timer = ::CreateWaitableTimerA(nullptr, TRUE, nullptr);
  if (timer == nullptr) return;
  start_ = NowMillis();
  SetDue(timer, period_ms_);
  handle_ = reinterpret_cast<WaitHandle>(timer);
}

PeriodicTimer::~PeriodicTimer() {
  if (handle_ == kNoWaitHandle) return;
  HANDLE timer = reinterpret_cast<HANDLE>(handle_);
  ::CancelWaitableTimer(timer);
  ::CloseHandle(timer);
}

std::uint64_t PeriodicTimer::Take() {
  if (handle_ == kNoWaitHandle) return 0;
  HANDLE timer = reinterpret_cast<HANDLE>(handle_);
  if (::WaitForSingleObject(timer, 0) != WAIT_OBJECT_0) return 0;
  const std::int64_t elapsed = NowMillis() - start_;
  std::uint64_t passed = static_cast<std::uint64_t>(elapsed / period_ms_);
  // The timer may fire a little before the steady clock shows the period
  // over: it fired, so that tick counts.
  if (passed <= taken_) passed = taken_ + 1;
  const std::uint64_t ticks = passed - taken_;
  taken_ = passed;
  // Setting the timer again resets it: signalled next at the following tick.
  SetDue(timer, start_ + static_cast<std::int64_t>(passed + 1) * period_ms_ - NowMillis());
  return ticks;
}

}  // namespace tapix
