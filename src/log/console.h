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
  // The lines logged from BeginBatch to its EndBatch belong together (the
  // events of one read of the line): an output may hold them and write them
  // with one call at EndBatch. A line is never split, nothing is held past
  // EndBatch, and an echo writes what is held first, so the order stays.
  // Batches nest: the outermost EndBatch writes.
  virtual void BeginBatch() {}
  virtual void EndBatch() {}
};

// A batch for the scope of the object.
class LogBatch {
 public:
  explicit LogBatch(Console& console) : console_(console) { console_.BeginBatch(); }
  ~LogBatch() { console_.EndBatch(); }
  LogBatch(const LogBatch&) = delete;
  LogBatch& operator=(const LogBatch&) = delete;

 private:
  Console& console_;
};

// printf-style log line; the result keeps every byte the format produced (a
// "%c" of 0 included).
void Logf(Console& console, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Standard output for the log (one write per call, or per batch); the echo
// goes to the console device and is dropped when there is none.
class StdConsole final : public Console {
 public:
  void Log(std::string_view text) override;
  void Echo(char byte) override;
  void BeginBatch() override { ++batches_; }
  void EndBatch() override;

 private:
  // Writes what a batch holds.
  void WriteHeld();

  ConsoleOutput out_;
  int batches_ = 0;   // open batches
  std::string held_;  // what they logged so far
};

}  // namespace tapix
