// The process's console as the platform has it: standard output for the log,
// and the console device for the echo of bytes written to the line (the
// controlling terminal on Linux, "CONOUT$" on Windows).
#pragma once

#include <string_view>

#include "platform/wait_handle.h"

namespace tapix {

class ConsoleOutput {
 public:
  // Opens the echo device; Windows: binary standard output and standard
  // error (every line ends in "\n" alone, as on Linux), and the console shows
  // code page 1252 for the run. Everything the program prints goes through
  // one of these, so the help and the port list come out like the log.
  ConsoleOutput();
  // Closes the echo device; Windows: the console's own code page comes back.
  ~ConsoleOutput();
  ConsoleOutput(const ConsoleOutput&) = delete;
  ConsoleOutput& operator=(const ConsoleOutput&) = delete;

  // Writes `text` to standard output and flushes it. When standard output is
  // not the echo's terminal (a pipe, a file) and the echo has a line open, the
  // echo's line is ended first: the log goes on elsewhere, and the terminal
  // must not run the next echo into it.
  void Write(std::string_view text);
  // Writes `text` to standard error (unbuffered).
  void WriteError(std::string_view text);
  // One byte straight to the console device, after what standard output
  // holds (they may share a terminal); dropped when there is no device.
  void Echo(char byte);

 private:
  // The platform's part: one byte to the echo device, which is open.
  void WriteEcho(char byte);

  WaitHandle echo_ = kNoWaitHandle;  // the echo device: a descriptor or a HANDLE
  bool output_is_echo_device_ = false;  // standard output is the echo's terminal
  bool echo_line_open_ = false;         // echoed bytes since the last line feed
  [[maybe_unused]] unsigned console_code_page_ = 0;  // Windows: the console's output code page at start
};

}  // namespace tapix
