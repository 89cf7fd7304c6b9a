// The traffic's log lines held for a few milliseconds, so that a busy line
// costs one write of its lines now and then instead of one per message.
//
// A message and its answer are on the line before their lines are logged
// (app/receiver.h); writing those lines at once made every message cost the
// program one more system call, and the reader of the log one more wake-up,
// than the answer itself. While the line is busy (its events come less than
// `kQuiet` apart) their lines are held and go out together once it has been
// quiet for `kQuiet`, or `kLongest` after the first of them at the latest: a
// person watching sees no difference, and a line is never held longer than
// `kLongest`. The lines of a line that is not busy are written at once, as
// holding them would cost a wake-up more per message instead of a write less.
//
// The hold is a batch of the console (log/console.h) kept open across the
// loop's events, so every line logged meanwhile keeps its place, and an echo
// writes what is held first. It covers only what comes from the line (the
// port and the tap's sides): any other event (a console command, the query
// timer, a stop request) lets the held lines go first, so an operator's
// command and its lines come at once, and nothing waits behind a command's
// write time-out. The end of the run lets them go before it logs its own
// lines and decides its exit code.
#pragma once

#include <chrono>
#include <optional>

#include "log/console.h"

namespace tapix {

class LogHold {
 public:
  using Time = std::chrono::steady_clock::time_point;
  static constexpr std::chrono::milliseconds kQuiet{1};
  static constexpr std::chrono::milliseconds kLongest{20};

  // From now on the traffic's lines on `console` are held (null: never).
  void Start(Console* console) { console_ = console; }
  // Lets what is held go, and holds nothing more.
  void End();

  // Traffic is published at `now`: when it follows the last publication
  // within kQuiet, its lines (and those logged after them) are held from here
  // on until Deadline; otherwise, and without Start, they are written at once.
  void Open(Time now);
  // Writes what is held now (nothing when nothing is).
  void Release();
  // When the held lines go: kQuiet after the last publication, kLongest
  // after the first; none while nothing is held.
  std::optional<Time> Deadline() const;
  // Lets the held lines go once their deadline has passed by `now`.
  void OnTimeout(Time now);

  bool Holding() const { return open_; }

 private:
  Console* console_ = nullptr;
  bool open_ = false;
  bool seen_ = false;      // a publication came before
  Time first_{}, last_{};  // the first held one's time, the last one's
};

}  // namespace tapix
