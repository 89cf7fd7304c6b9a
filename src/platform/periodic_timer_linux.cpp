// The periodic timer on Linux: a timerfd, readable while ticks wait; a read
// takes their count.
#include <sys/timerfd.h>
#include <unistd.h>

#include "platform/periodic_timer.h"

namespace tapix {

PeriodicTimer::PeriodicTimer(int period_ms) : period_ms_(period_ms) {
  const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  if (fd < 0) return;
  itimerspec period = {};
  period.it_interval.tv_sec = period_ms_ / 1000;
  period.it_interval.tv_nsec = (period_ms_ % 1000) * 1000000L;
  period.it_value = period.it_interval;
  ::timerfd_settime(fd, 0, &period, nullptr);
  handle_ = fd;
}

PeriodicTimer::~PeriodicTimer() {
  if (handle_ != kNoWaitHandle) ::close(static_cast<int>(handle_));
}

std::uint64_t PeriodicTimer::Take() {
  if (handle_ == kNoWaitHandle) return 0;
  std::uint64_t ticks = 0;
  if (::read(static_cast<int>(handle_), &ticks, sizeof ticks) != sizeof ticks) return 0;
  return ticks;
}

}  // namespace tapix
