#include "core/console_input.h"

#include "core/retry_eintr.h"

#include <unistd.h>

#include <cerrno>

namespace tapix {
bool LineReader::ReadAvailable(const std::function<void(std::string_view)>& line) {
  char buffer[4096];
  const ssize_t n = RetryEintr([&] { return ::read(fd_, buffer, sizeof buffer); });
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
  if (n <= 0) {
    // End of input (or a failed read): the last unterminated line still counts.
    if (!partial_.empty()) line(partial_);
    partial_.clear();
    return false;
  }
  for (ssize_t i = 0; i < n; ++i) {
    const char c = buffer[i];
    if (c == '\n') {
      if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
      line(partial_);
      partial_.clear();
      overflow_ = false;
    } else if (partial_.size() <= kMaxCommandLine) {
      // One byte more than a line may hold marks it as too long for the
      // command reader, which says so; the rest of it is dropped.
      partial_.push_back(c);
    } else {
      overflow_ = true;
    }
  }
  return true;
}

}  // namespace tapix
