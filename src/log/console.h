// The console: log lines on standard output and the direct echo of bytes
// written to the port.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/console_output.h"

namespace tapix {

// The wall clock that log lines are stamped with.
using LogClock = std::chrono::system_clock;

class Console {
 public:
  virtual ~Console() = default;
  // One piece of log text (may hold any byte, NUL included), written and
  // flushed at once.
  virtual void Log(std::string_view text) = 0;
  // One byte echoed straight to the console device, not through the log.
  virtual void Echo(char byte) = 0;
  // The bytes of one write to the line. The console already shows them (the
  // echo, an answer line); a trace of both directions (the log file) records
  // them as a line of their own, led by `prefix` (its time stamp).
  virtual void Sent(std::string_view bytes, std::string_view prefix) {
    (void)bytes;
    (void)prefix;
  }
  // When the event behind the next line happened: a message's first byte
  // arrived, or a write began. A line without one is stamped when it starts.
  virtual void Mark(LogClock::time_point when) { (void)when; }
};

// printf-style log line; the result keeps every byte the format produced (a
// "%c" of 0 included).
void Logf(Console& console, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Standard output for the log (flushed per call); the echo goes to the console
// device and is dropped when there is none.
class StdConsole final : public Console {
 public:
  void Log(std::string_view text) override { out_.Write(text); }
  void Echo(char byte) override { out_.Echo(byte); }

 private:
  ConsoleOutput out_;
};

}  // namespace tapix
