// The console as the options make it: standard output and the echo, the log
// file beside them, the text encoding, the history the window shows and the
// time stamps, each a layer around the one below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "log/console.h"
#include "log/log_file.h"
#include "log/log_history.h"
#include "log/text_encoding.h"
#include "log/timestamps.h"

namespace tapix {

class LogChain {
 public:
  // Null when the log file cannot be opened; `error` then says why.
  static std::unique_ptr<LogChain> Make(const std::string& log_path, bool timestamps,
                                        TextMode mode, std::string* error);

  // What the options ask of the log beyond that.
  struct Extras {
    StampForm stamp_form = StampForm::Time;  // --timestamps=date: with the date
    std::int64_t log_max = 0;                // --log-max: rotate the file at this size; 0: never
  };
  static std::unique_ptr<LogChain> Make(const std::string& log_path, bool timestamps,
                                        TextMode mode, const Extras& extras, std::string* error);

  // Where the program logs.
  Console& Top() { return *top_; }
  // Writes the log file's last line begun and tells whether the file holds
  // the whole log: false when a write to it failed (always true without a file).
  bool FinishLog() {
    if (!file_) return true;
    file_->Finish();
    return !file_->Lost();
  }
  // The history the window shows: the program's own code page 1252 texts,
  // stamped, before the encoding for the terminal.
  LogHistory& History() { return *history_; }

 private:
  LogChain() = default;

  StdConsole std_console_;
  std::unique_ptr<LogFileConsole> file_;
  std::unique_ptr<Utf8Console> utf8_;
  std::unique_ptr<LogHistory> history_;
  std::unique_ptr<TimestampConsole> stamps_;
  Console* top_ = nullptr;
};

}  // namespace tapix
