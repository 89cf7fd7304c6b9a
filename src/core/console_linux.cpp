// The console on Linux: standard output for the log, /dev/tty for the echo.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "core/console.h"
#include "core/retry_eintr.h"

namespace tapix {

StdConsole::StdConsole() { echo_ = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC); }

StdConsole::~StdConsole() {
  if (echo_ >= 0) ::close(static_cast<int>(echo_));
}

void StdConsole::Echo(char byte) {
  if (echo_ < 0) return;
  // Keep the order with the log lines on the same terminal.
  std::fflush(stdout);
  RetryEintr([&] { return ::write(static_cast<int>(echo_), &byte, 1); });
}

}  // namespace tapix
