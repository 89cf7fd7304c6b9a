// The log file: everything the console logs, plus one line for each write to
// the line, so that the file is a trace of both directions in order. With a
// size limit it rotates: FILE becomes FILE.1 (one generation kept) and a new
// FILE begins, so a run of a week cannot fill the disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "log/console.h"

namespace tapix {

// What leads the line of bytes Tapix wrote to the line.
inline constexpr const char* kSentMarker = "gesendet: ";
// What begins the last line of a file whose writes failed.
inline constexpr const char* kStopLine = "---- Protokoll hier abgebrochen: Schreibfehler ";

// Opens `path` for appending, creating it when missing; null when it cannot
// be opened, with `error` saying why ("Fehler 13 - Permission denied").
std::FILE* OpenAppending(const std::string& path, std::string* error);

// The smallest size limit: room for the dated line and some lines after it.
inline constexpr std::int64_t kLeastLogMax = 1024;

// A size limit as written on the command line: a number of bytes, or one
// with k, M or G after it (1024, 1024², 1024³: "500k", "10M"). None for
// anything else, for 0, for one too large to count and for one below
// kLeastLogMax.
std::optional<std::int64_t> ParseLogSize(std::string_view text);

class LogFileConsole final : public Console {
 public:
  // Appends to `path`, creating it when missing, and begins with a line that
  // dates the run (the time stamps of the lines have no date). With
  // `max_size` (0: none) the file is rotated before a line that would take it
  // past that size: FILE becomes FILE.1 (an older FILE.1 is dropped) and a
  // new FILE begins with the dated line; a file that already holds more than
  // the dated line is rotated first too. Lines are never split. A size limit
  // needs a regular file (renaming a device or a pipe would do harm). Null
  // when it cannot be opened, with `error` saying why ("Fehler 13 -
  // Permission denied").
  static std::unique_ptr<LogFileConsole> Open(Console& inner, const std::string& path,
                                              std::string* error, std::int64_t max_size = 0);
  ~LogFileConsole() override;
  LogFileConsole(const LogFileConsole&) = delete;
  LogFileConsole& operator=(const LogFileConsole&) = delete;

  // Writes what is left of a line begun (the destructor does so too).
  void Finish();
  // True once a write to the file has failed: the file does not hold the
  // whole log. The failure is said once on the console; the file is cut back
  // to its last whole line and, when that still fits, ends with a line that
  // says the log stops there (kStopLine and the error). A rotation that fails
  // (FILE cannot be renamed, or no new FILE made) is such a failure too: the
  // file that was written last ends with the stop line.
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
  LogFileConsole(Console& inner, std::FILE* file, std::string path, std::int64_t max_size);
  // Writes text to the file, in a new one first when it would pass the size
  // limit; `dated_line`: the text is the line that begins a file.
  void Write(std::string_view text, bool dated_line = false);
  // Appends text whole, or cuts the file back to where it began; false then.
  bool Append(std::string_view text);
  // Append, and when that fails the log stops there (Stop).
  bool AppendOrStop(std::string_view text);
  // The line that begins a run's file and each rotated one.
  void WriteDatedLine();
  // Whether `size` more bytes take the file past its limit.
  bool PastLimit(std::size_t size) const;
  // FILE to FILE.1 and a new, empty FILE; false (the log lost, said once)
  // when that cannot be done.
  bool Rotate();
  // The log stops here: said once on the console, and the stop line appended
  // to the file open now when one is.
  void Stop(int code, const std::string& what);

  Console& inner_;
  std::FILE* file_;
  std::string path_;
  std::string open_line_;  // logged text after the last line feed
  int batches_ = 0;        // open batches
  std::string held_;       // the whole lines they wrote so far
  std::int64_t end_ = 0;   // the size of the file after its last whole write
  std::int64_t max_size_;  // rotate before this size is passed; 0: never
  bool holds_lines_ = false;  // the file holds more than its dated line: a new one helps
  bool failed_ = false;
};

}  // namespace tapix
