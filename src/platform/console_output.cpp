#include "platform/console_output.h"

#include <cstdio>

namespace tapix {

void ConsoleOutput::Write(std::string_view text) {
  if (echo_line_open_ && !output_is_echo_device_) Echo('\n');
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void ConsoleOutput::WriteError(std::string_view text) {
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void ConsoleOutput::Echo(char byte) {
  if (echo_ == kNoWaitHandle) return;
  // Keep the order with the log lines when both reach the same terminal.
  std::fflush(stdout);
  WriteEcho(byte);
  echo_line_open_ = byte != '\n';
}

}  // namespace tapix
