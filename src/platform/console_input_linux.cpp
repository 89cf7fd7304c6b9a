// Command lines from a descriptor that poll() reports readable.
#include <unistd.h>

#include <cerrno>

#include "platform/console_input.h"
#include "platform/retry_eintr.h"

namespace tapix {

bool LineReader::ReadAvailable(const LineSink& line) {
  char buffer[4096];
  const ssize_t n = RetryEintr([&] { return ::read(fd_, buffer, sizeof buffer); });
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
  if (n <= 0) {
    // End of input (or a failed read).
    splitter_.Finish(line);
    return false;
  }
  splitter_.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), line);
  return true;
}

}  // namespace tapix
