#include "core/console_input.h"

#include <unistd.h>

#include <cerrno>

namespace tapix {
namespace {

constexpr std::size_t kMaxLine = 4096;

}  // namespace

bool LineReader::ReadAvailable(const std::function<void(std::string_view)>& line) {
  char buffer[4096];
  ssize_t n;
  do {
    n = ::read(fd_, buffer, sizeof buffer);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
  if (n <= 0) {
    // End of input (or a failed read): the last unterminated line still counts.
    if (!partial_.empty() && !overflow_) line(partial_);
    partial_.clear();
    return false;
  }
  for (ssize_t i = 0; i < n; ++i) {
    const char c = buffer[i];
    if (c == '\n') {
      if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
      if (!overflow_) line(partial_);
      partial_.clear();
      overflow_ = false;
    } else if (partial_.size() < kMaxLine) {
      partial_.push_back(c);
    } else {
      overflow_ = true;  // the rest of an overlong line is dropped with it
    }
  }
  return true;
}

}  // namespace tapix
