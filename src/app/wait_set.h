// The one wait of the Windows loop: the stop event, the console's command
// lines, the query timer and the port's first-byte read, for
// WaitForMultipleObjects (console front end) or MsgWaitForMultipleObjects
// (window front end). No <windows.h> here: handles travel as WaitHandle.
#pragma once

#include <cstddef>
#include <string>

#include "app/session.h"
#include "platform/wait_handle.h"

namespace tapix {

// Command lines from standard input. A console, a pipe or a file cannot be
// waited on, so a thread of its own reads it and hands complete lines over;
// its event is set while a line or the end of input waits. One per process:
// the port question and the loop read the same stream.
class ConsoleLines {
 public:
  static ConsoleLines& Get();

  enum class Next { Line, None, End };
  // The next complete line (line end removed); None when none waits yet; End
  // once the input has ended and every line has been taken.
  Next Take(std::string& line);
  // Hands every line that waits to `each`, in order, until none waits or
  // `stop` turns true; false once the input has ended.
  template <typename Each>
  bool TakeWaiting(const bool& stop, Each each) {
    std::string line;
    while (!stop) {
      switch (Take(line)) {
        case Next::Line: each(line); break;
        case Next::None: return true;
        case Next::End: return false;
      }
    }
    return true;
  }
  WaitHandle Event() const { return event_; }

  struct Shared;

 private:
  ConsoleLines();
  Shared* shared_;
  WaitHandle event_;
};

class WaitSet {
 public:
  enum class Source { Stop, Lines, Timer, Port, Other };
  static constexpr std::size_t kMaxHandles = 4;

  // Creates the query timer (kQueryTimerMs, periodic) and installs the stop
  // handler.
  WaitSet();
  ~WaitSet();
  WaitSet(const WaitSet&) = delete;
  WaitSet& operator=(const WaitSet&) = delete;

  // The handles for the next wait, in order of precedence: stop, console
  // lines (when `with_input`), timer, the port (when one is open; this starts
  // its first-byte read). Returns the count.
  std::size_t Collect(Session& session, bool with_input, WaitHandle (&handles)[kMaxHandles]);
  // What the handle at `index` of the last Collect stands for.
  Source Which(std::size_t index) const;

 private:
  WaitHandle timer_;
  WaitHandle stop_;
  Source sources_[kMaxHandles] = {};
  std::size_t count_ = 0;
};

}  // namespace tapix
