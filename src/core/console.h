// The console: log lines on standard output and the direct echo of bytes
// written to the port.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/wait_handle.h"

namespace tapix {

class Console {
 public:
  virtual ~Console() = default;
  // One piece of log text (may hold any byte, NUL included), written and
  // flushed at once.
  virtual void Log(std::string_view text) = 0;
  // One byte echoed straight to the console device, not through the log.
  virtual void Echo(char byte) = 0;
};

// printf-style log line; the result keeps every byte the format produced (a
// "%c" of 0 included).
void Logf(Console& console, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Standard output for the log (flushed per call); the echo goes to the console
// device (the controlling terminal on Linux, "CONOUT$" on Windows) and is
// dropped when there is none. One platform file each.
class StdConsole final : public Console {
 public:
  StdConsole();
  ~StdConsole() override;
  StdConsole(const StdConsole&) = delete;
  StdConsole& operator=(const StdConsole&) = delete;
  void Log(std::string_view text) override;
  void Echo(char byte) override;

 private:
  WaitHandle echo_ = kNoWaitHandle;  // the echo device: a descriptor or a HANDLE
  unsigned console_code_page_ = 0;    // Windows: the console's output code page at start
};

}  // namespace tapix
