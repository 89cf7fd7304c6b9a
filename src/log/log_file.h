// The log file: everything the console logs, plus one line for each write to
// the line, so that the file is a trace of both directions in order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "log/console.h"

namespace tapix {

// What leads the line of bytes Tapix wrote to the line.
inline constexpr const char* kSentMarker = "gesendet: ";
// What begins the last line of a file whose writes failed.
inline constexpr const char* kStopLine = "---- Protokoll hier abgebrochen: Schreibfehler ";

// Opens `path` for appending, creating it when missing; null when it cannot
// be opened, with `error` saying why ("Fehler 13 - Permission denied").
std::FILE* OpenAppending(const std::string& path, std::string* error);

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

  // Writes what is left of a line begun (the destructor does so too).
  void Finish();
  // True once a write to the file has failed: the file does not hold the
  // whole log. The failure is said once on the console; the file is cut back
  // to its last whole line and, when that still fits, ends with a line that
  // says the log stops there (kStopLine and the error).
  bool Lost() const { return failed_; }

  // Passes the text on; the file gets each line once it is complete.
  void Log(std::string_view text) override;
  // The echo stays on the console: the file has the write's own line.
  void Echo(char byte) override { inner_.Echo(byte); }
  void Sent(std::string_view bytes, std::string_view prefix) override;
  void Mark(LogClock::time_point when) override { inner_.Mark(when); }
  // The whole lines of a batch go to the file in one write at its end.
  void BeginBatch() override;
  void EndBatch() override;

 private:
  LogFileConsole(Console& inner, std::FILE* file, std::string path);
  void Write(std::string_view text);
  // Appends text whole, or cuts the file back to where it began; false then.
  bool Append(std::string_view text);

  Console& inner_;
  std::FILE* file_;
  std::string path_;
  std::string open_line_;  // logged text after the last line feed
  int batches_ = 0;        // open batches
  std::string held_;       // the whole lines they wrote so far
  std::int64_t end_ = 0;   // the size of the file after its last whole write
  bool failed_ = false;
};

}  // namespace tapix
