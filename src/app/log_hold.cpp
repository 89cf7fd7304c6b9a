#include "app/log_hold.h"

#include <algorithm>

namespace tapix {

void LogHold::End() {
  Release();
  console_ = nullptr;
}

void LogHold::Open(Time now) {
  if (!console_) return;
  // A line that is not busy gets its lines at once: holding them would cost
  // a wake-up more for each message instead of saving a write.
  const bool busy = seen_ && now - last_ < kQuiet;
  last_ = now;
  seen_ = true;
  if (open_ || !busy) return;
  console_->BeginBatch();
  open_ = true;
  first_ = now;
}

void LogHold::Release() {
  if (!open_) return;
  open_ = false;
  console_->EndBatch();
}

std::optional<LogHold::Time> LogHold::Deadline() const {
  if (!open_) return std::nullopt;
  return std::min(last_ + kQuiet, first_ + kLongest);
}

void LogHold::OnTimeout(Time now) {
  const std::optional<Time> due = Deadline();
  if (due && *due <= now) Release();
}

}  // namespace tapix
