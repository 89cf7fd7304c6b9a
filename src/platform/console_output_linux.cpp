// The console on Linux: standard output for the log, /dev/tty for the echo.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/console_output.h"
#include "platform/retry_eintr.h"

namespace tapix {

ConsoleOutput::ConsoleOutput() {
  echo_ = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC);
  // tcgetsid answers only for the process's controlling terminal: then the
  // log and the echo share it.
  output_is_echo_device_ = echo_ >= 0 && ::tcgetsid(STDOUT_FILENO) != -1;
}

ConsoleOutput::~ConsoleOutput() {
  if (echo_ >= 0) ::close(static_cast<int>(echo_));
}

void ConsoleOutput::WriteEcho(char byte) {
  RetryEintr([&] { return ::write(static_cast<int>(echo_), &byte, 1); });
}

}  // namespace tapix
