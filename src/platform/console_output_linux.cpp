// The console on Linux: standard output for the log, /dev/tty for the echo.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/console_output.h"
#include "platform/retry_eintr.h"

namespace tapix {

ConsoleOutput::ConsoleOutput() { echo_ = ::open("/dev/tty", O_WRONLY | O_NOCTTY | O_CLOEXEC); }

ConsoleOutput::~ConsoleOutput() {
  if (echo_ >= 0) ::close(static_cast<int>(echo_));
}

void ConsoleOutput::Write(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void ConsoleOutput::WriteError(std::string_view text) {
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void ConsoleOutput::Echo(char byte) {
  if (echo_ < 0) return;
  // Keep the order with the log lines on the same terminal.
  std::fflush(stdout);
  RetryEintr([&] { return ::write(static_cast<int>(echo_), &byte, 1); });
}

}  // namespace tapix
