// The machine-readable trace (--trace=FILE): JSON Lines, one object per
// event of the traffic, written and flushed as it happens, so a trace of a
// run that is killed holds everything up to the kill.
//
// Every object has
//   time    ISO 8601 in UTC with the date and microseconds
//           ("2026-12-08T19:20:01.123456Z"): when the event's bytes began
//   event   "message", "write", "unexpected", "timeout", "open", "hangup",
//           "marker"
//   dir     "Kasse>ISB", "ISB>Kasse" (the tap's sides), "empfangen" (what
//           came in on the session's port, whose peer may be either), or
//           "gesendet" (this side's writes); absent for open, hang-up, marker
// and, as far as the event has them: text (the bytes as a JSON string, see
// ToJsonString), hex, count, kind (the message table's short name), check
// ("ok", "bad", "none"), expected (the check character it should have had,
// in hex), complete, fields (by name: a number, or the characters when they
// are not all digits), answers (the request's kind) and after_ms (its
// answer time), cut (a time-out: when the cut was made), what and asked (a
// write: "answer", "record", "request"; the bytes it was to write), port.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "app/traffic.h"
#include "protocol/options.h"

namespace tapix {

// An event as one line of the trace, its line feed included; `options` are
// those a written message was made under.
std::string TraceLine(const TrafficEvent& event, const OptionFlags& options);

// "2026-12-08T19:20:01.123456Z"
std::string IsoTime(std::chrono::system_clock::time_point when);

class TraceFile final : public TrafficObserver {
 public:
  // Appends to `path`, creating it when missing. Null when it cannot be
  // opened, with `error` saying why ("Fehler 13 - Permission denied").
  static std::unique_ptr<TraceFile> Open(const std::string& path, std::string* error);
  ~TraceFile() override;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  // The options written messages are made under (the session's), read at
  // each event; without them a write is read under the start values.
  void Follow(const OptionFlags& options) { options_ = &options; }

  void OnTraffic(const TrafficEvent& event) override;
  // True once a write failed: the trace does not hold every event. The
  // lines up to the failure stay; nothing more is written.
  bool Lost() const { return failed_; }

 private:
  explicit TraceFile(std::FILE* file) : file_(file) {}

  std::FILE* file_;
  const OptionFlags* options_ = nullptr;
  bool failed_ = false;
};

}  // namespace tapix
