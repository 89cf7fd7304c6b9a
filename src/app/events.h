// The loop's events and what each one does, for every front end: one
// handler per event, and one loop that gathers the session's sources, waits
// on them with the platform's wait set and dispatches what is ready.
//
// The console front end (with or without the tap) is EventLoop::Run. The
// Win32 window runs the same loop with its window messages among the sources
// (served first, through the dialog's keyboard handling). The Qt window
// watches the same sources with socket notifiers and a single-shot timer
// inside Qt's event loop and calls the same Dispatch.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "app/requests.h"
#include "app/session.h"
#include "app/tap.h"
#include "platform/console_input.h"
#include "platform/periodic_timer.h"
#include "platform/wait_handle.h"
#include "platform/wait_set.h"

namespace tapix {

using SteadyTime = std::chrono::steady_clock::time_point;

// The handlers, one per event.

// A command line from the console: it runs, and the request it queued is
// written at once (once the message being read has ended, when one is). The
// pass that reads the port follows the last of the
// lines that waited together, so a message already on the line is answered
// with every setting those lines made.
void OnConsoleLine(Session& session, std::string_view line);
// A tick of the query timer, then the pass that sends the query it queued.
void OnQueryTick(Session& session);
// Input on the port: what is waiting is read in one call, each message it
// ends answered and logged, the pending request written; then the hang-up
// check (one line, the port closed, so a hang-up is reported once).
void OnPortInput(Session& session);
// A stop request (Ctrl+C, SIGTERM, closing the console): "Beenden".
void OnStop(Session& session);
// Input on one side of the tap: forwarded, then decoded. False once that
// side has hung up (said once on the console): it is not watched until it is
// back (app/reopen.h).
bool OnTapInput(Session& session, Tap::Side side);

// The deadlines: moments at which a handler has work without any input: the
// cut of a message a pause has ended, by the port's receiver (then the
// request that waited for it goes out) and by the tap's decoders; an answer
// delayed by "answer next delay MS"; a scenario's next statement (at once,
// or when its "expect" or "wait" has run out); the next try to open a port
// or a side of the tap that went away (app/reopen.h); the surveys of the
// options watch (app/options_watch.h). Another source of deadlines joins here
// and in OnTimeout, nowhere else.
std::optional<SteadyTime> NextDeadline(const Session& session);
// Does the work of every deadline that has passed by `now`.
void OnTimeout(Session& session, SteadyTime now);

// What the loop waits on. Dispatch handles them in this order: the window's
// events first (its own loop serves them), then the stop request, the
// console lines, the query timer, the port and the tap's sides; the
// deadlines last.
enum class EventSource : int { Window, Stop, Console, Timer, Port, TapRegister, TapDispenser };

// A set of sources, as a wait reports them ready.
class EventSources {
 public:
  void Add(EventSource source) { bits_ |= Bit(source); }
  bool Has(EventSource source) const { return (bits_ & Bit(source)) != 0; }
  bool Empty() const { return bits_ == 0; }

 private:
  static unsigned Bit(EventSource source) { return 1u << static_cast<int>(source); }
  unsigned bits_ = 0;
};

// One source of the next wait: what to wait on, and what it stands for.
struct EventWatch {
  WaitHandle handle;
  EventSource source;
};

class EventLoop {
 public:
  // Whether a window is open. Without one, the run ends when nothing more
  // can happen: no port, none waited for, and no more input.
  enum class Front { Console, Window };

  // `input`: the console's command lines, null when none are read.
  // `query_period_ms`: the period of the query timer.
  EventLoop(Session& session, ConsoleInput* input, Front front, int query_period_ms = kQueryTimerMs);

  // The sources of the next wait: the stop request, the console while its
  // input is open, the query timer (not while tapping: nothing could send
  // its query), the port while one is open (Windows: asking for its handle
  // starts the read of its first byte) and each side of the tap until it
  // hangs up.
  const std::vector<EventWatch>& Sources();
  // What needs no wait: console lines gathered earlier and not yet run (the
  // port question leaves the lines after its answer).
  EventSources Held() const;
  // Milliseconds until the next deadline (rounded up, and one past it, so
  // that it has passed when the wait ends); kWaitForever when none.
  int DeadlineMillis(SteadyTime now) const;

  // Handles what is ready, in the order of EventSource, then the deadlines
  // that have passed. Console lines run one by one, and a stop request that
  // comes meanwhile is taken between two of them, so a backlog of queued
  // commands cannot hold the end of the run.
  void Dispatch(const EventSources& ready);

  // True once the run is over: quit requested, or (without a window and
  // without the tap, which waits for its sides) ended here for want of
  // anything that could still happen — no port, none waited for, no more
  // input — with its console line and exit code kExitNoPort.
  bool Ended();

  // Waits and dispatches with the platform's wait set until the run is over.
  // `serve_window` (the Win32 window): serves every waiting window message,
  // true when it handled one. It runs first in every turn; after it the
  // command lines that came meanwhile run, then a pass sends what a click
  // queued; and the wait wakes for window messages too.
  void Run(const std::function<bool()>& serve_window = {});
  // How many waits Run has made: an idle loop makes hardly any.
  std::uint64_t Turns() const { return turns_; }

 private:
  // Runs the command lines that wait, one by one; true when it ran one.
  bool ServeConsole();

  Session& session_;
  ConsoleInput* input_;
  Front front_;
  PeriodicTimer timer_;
  WaitHandle stop_;
  const SerialDevice* watched_port_ = nullptr;
  std::vector<EventWatch> sources_;  // kept: a turn allocates nothing
  std::uint64_t turns_ = 0;
};

}  // namespace tapix
