// A timer that ticks every period (the query timer) and is waited on like
// any other source: a timerfd on Linux, a waitable timer on Windows. Its
// handle is ready while ticks wait, until Take takes them, so a wait that
// looks at it late loses no tick and one that looks twice sees one.
#pragma once

#include <cstdint>

#include "platform/wait_handle.h"

namespace tapix {

class PeriodicTimer {
 public:
  // Starts at once; the first tick comes one period later.
  explicit PeriodicTimer(int period_ms);
  ~PeriodicTimer();
  PeriodicTimer(const PeriodicTimer&) = delete;
  PeriodicTimer& operator=(const PeriodicTimer&) = delete;

  // What a wait watches; kNoWaitHandle when the system gave no timer.
  WaitHandle Handle() const { return handle_; }
  // The ticks since the last call (0 when none came), without waiting.
  std::uint64_t Take();

 private:
  WaitHandle handle_ = kNoWaitHandle;
  int period_ms_;
  // Windows: when the timer started (steady clock, ms) and the ticks taken.
  [[maybe_unused]] std::int64_t start_ = 0;
  [[maybe_unused]] std::uint64_t taken_ = 0;
};

}  // namespace tapix
