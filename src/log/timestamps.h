// Time stamps at the start of every log line: "[HH:MM:SS.mmm] ", local time;
// with the date "[DD.MM.YYYY HH:MM:SS.mmm] " for a log that runs for days.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "log/console.h"

namespace tapix {

enum class StampForm : std::uint8_t {
  Time,      // "[HH:MM:SS.mmm] " (--timestamps)
  DateTime,  // "[DD.MM.YYYY HH:MM:SS.mmm] " (--timestamps=date)
};

// The stamp for `when` in local time.
std::string FormatStamp(LogClock::time_point when, StampForm form = StampForm::Time);

// Puts the stamp before every line of the log and of the echo (they share the
// terminal, so one line start serves both). A line takes the time given by
// Mark before it (a message's first byte, a write's start), else the time it
// starts; the trace line of a write takes that mark too.
class TimestampConsole final : public Console {
 public:
  explicit TimestampConsole(Console& inner,
                            std::function<LogClock::time_point()> now = LogClock::now,
                            StampForm form = StampForm::Time);
  void Log(std::string_view text) override;
  void Echo(char byte) override;
  void Sent(std::string_view bytes, std::string_view prefix) override;
  void Mark(LogClock::time_point when) override { mark_ = when; }
  void BeginBatch() override { inner_.BeginBatch(); }
  void EndBatch() override { inner_.EndBatch(); }

 private:
  // The stamp for a line starting now; takes the mark.
  std::string StartLine();

  Console& inner_;
  std::function<LogClock::time_point()> now_;
  StampForm form_;
  std::optional<LogClock::time_point> mark_;
  bool at_line_start_ = true;
};

}  // namespace tapix
