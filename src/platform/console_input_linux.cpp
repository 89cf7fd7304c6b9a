// Standard input on Linux: the descriptor itself is what the loop waits on.
// It is read only when poll() says it is readable, so a descriptor in
// blocking mode (a terminal shared with the shell) never blocks the loop and
// its mode is left as it is.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/console_input.h"
#include "platform/retry_eintr.h"

namespace tapix {

struct ConsoleInput::Reader {
  int fd;
  LineSplitter splitter;
};

ConsoleInput& ConsoleInput::Standard() {
  static ConsoleInput input(0);
  return input;
}

ConsoleInput::ConsoleInput(WaitHandle source)
    : reader_(std::make_shared<Reader>(Reader{static_cast<int>(source), {}})), handle_(source) {
  // No such input (closed before the start): it has ended.
  if (source < 0 || ::fcntl(reader_->fd, F_GETFD) == -1) ended_ = true;
}

ConsoleInput::~ConsoleInput() = default;

void ConsoleInput::Gather() {
  if (ended_) return;
  pollfd p{reader_->fd, POLLIN, 0};
  if (RetryEintr([&] { return ::poll(&p, 1, 0); }) <= 0) return;
  char buffer[4096];
  const ssize_t n = RetryEintr([&] { return ::read(reader_->fd, buffer, sizeof buffer); });
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
  const LineSink hold = [this](std::string_view line) { held_.emplace_back(line); };
  if (n <= 0) {
    // The end of input (or a read that failed): a last line without its
    // line end still counts.
    reader_->splitter.Finish(hold);
    ended_ = true;
    return;
  }
  reader_->splitter.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), hold);
}

}  // namespace tapix
