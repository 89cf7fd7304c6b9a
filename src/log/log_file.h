// The log file: everything the console logs, plus one line for each write to
// the line, so that the file is a trace of both directions in order.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "log/console.h"

namespace tapix {

// What leads the line of bytes Tapix wrote to the line.
inline constexpr const char* kSentMarker = "gesendet: ";

class LogFileConsole final : public Console {
 public:
  // Appends to `path`, creating it when missing, and begins with a line that
  // dates the run (the time stamps of the lines have no date). Null when it
  // cannot be opened, with `error` saying why ("Fehler 13 - Permission denied").
  static std::unique_ptr<LogFileConsole> Open(Console& inner, const std::string& path,
                                              std::string* error);
  ~LogFileConsole() override;
  LogFileConsole(const LogFileConsole&) = delete;
  LogFileConsole& operator=(const LogFileConsole&) = delete;

  // Passes the text on; the file gets each line once it is complete.
  void Log(std::string_view text) override;
  // The echo stays on the console: the file has the write's own line.
  void Echo(char byte) override { inner_.Echo(byte); }
  void Sent(std::string_view bytes, std::string_view prefix) override;
  void Mark(LogClock::time_point when) override { inner_.Mark(when); }

 private:
  LogFileConsole(Console& inner, std::FILE* file, std::string path);
  void Write(std::string_view text);

  Console& inner_;
  std::FILE* file_;
  std::string path_;
  std::string open_line_;  // logged text after the last line feed
  bool failed_ = false;
};

}  // namespace tapix
