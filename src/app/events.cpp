#include "app/events.h"

#include <string>

#include "app/console_commands.h"
#include "app/control_ids.h"
#include "app/dispenser.h"
#include "app/exit_codes.h"
#include "app/loop.h"
#include "app/options_watch.h"
#include "app/scenario.h"
#include "app/window_commands.h"
#include "platform/signals.h"

namespace tapix {

void OnConsoleLine(Session& session, std::string_view line) {
  const std::string ack = ExecuteCommandLine(session, line);
  SendPending(session);
  if (!ack.empty()) session.console->Log(ack);
}

void OnQueryTick(Session& session) {
  OnTimer(session);
  PassAfterEvent(session);
}

void OnPortInput(Session& session) {
  ReadPort(session);
  CheckHangup(session);
}

void OnStop(Session& session) { OnCommand(session, ctl::Exit); }

bool OnTapInput(Session& session, Tap::Side side) {
  Tap& tap = *session.tap;
  tap.Pump(side, ByteTime::Now());
  const SteadyTime now = std::chrono::steady_clock::now();
  tap.Expire(now);
  if (!tap.Device(side).HungUp()) return true;
  LoseTapSide(session, side, now);
  return false;
}

std::optional<SteadyTime> NextDeadline(const Session& session) {
  std::optional<SteadyTime> first;
  const auto consider = [&first](std::optional<SteadyTime> deadline) {
    if (deadline && (!first || *deadline < *first)) first = deadline;
  };
  if (session.tap) consider(session.tap->Deadline());
  if (session.port) consider(session.receiver.Deadline());
  if (session.options_watch) consider(session.options_watch->Deadline());
  consider(DelayedAnswerDue(session));
  if (session.scenario) consider(session.scenario->Deadline(session));
  consider(NextReopen(session));
  return first;
}

void OnTimeout(Session& session, SteadyTime now) {
  if (session.tap) session.tap->Expire(now);
  ExpireMessage(session, now);
  SendDueAnswers(session, now);
  if (session.scenario) {
    const std::optional<SteadyTime> due = session.scenario->Deadline(session);
    if (due && *due <= now) session.scenario->Step(session);
  }
  ReopenDue(session, now);
  // Last: it looks at the messages the cuts above ended.
  if (session.options_watch) session.options_watch->OnTimeout(now);
}

EventLoop::EventLoop(Session& session, ConsoleInput* input, Front front, int query_period_ms)
    : session_(session), input_(input), front_(front), timer_(query_period_ms),
      stop_(InstallStopSignals()) {}

const std::vector<EventWatch>& EventLoop::Sources() {
  sources_.clear();
  const auto add = [this](WaitHandle handle, EventSource source) {
    if (handle != kNoWaitHandle) sources_.push_back({handle, source});
  };
  add(stop_, EventSource::Stop);
  if (input_ && input_->Open()) add(input_->Handle(), EventSource::Console);
  if (!session_.tap) add(timer_.Handle(), EventSource::Timer);
  watched_port_ = session_.port.get();
  if (session_.port) add(session_.port->InputWaitHandle(), EventSource::Port);
  if (session_.tap) {
    for (const Tap::Side side : {Tap::Register, Tap::Dispenser}) {
      if (!session_.tap->Present(side)) continue;
      add(session_.tap->Device(side).InputWaitHandle(),
          side == Tap::Register ? EventSource::TapRegister : EventSource::TapDispenser);
    }
  }
  return sources_;
}

EventSources EventLoop::Held() const {
  EventSources held;
  if (input_ && input_->Open() && input_->Holding())
    held.Add(EventSource::Console);
  return held;
}

int EventLoop::DeadlineMillis(SteadyTime now) const {
  const std::optional<SteadyTime> deadline = NextDeadline(session_);
  if (!deadline) return kWaitForever;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now);
  // A deadline's work is done once it has passed, not at the moment itself.
  return left.count() < 0 ? 0 : static_cast<int>(left.count()) + 1;
}

void EventLoop::Dispatch(const EventSources& ready) {
  if (ready.Has(EventSource::Stop) && TakeStopSignal()) {
    OnStop(session_);
    return;
  }
  if (ready.Has(EventSource::Console) && input_ && input_->Open() && ServeConsole() &&
      !session_.quit_requested) {
    PassAfterEvent(session_);
  }
  if (session_.quit_requested) return;
  if (ready.Has(EventSource::Timer) && timer_.Take() > 0) OnQueryTick(session_);
  // Only the port the wait watched: a command may have closed it or opened
  // another meanwhile.
  if (ready.Has(EventSource::Port) && session_.port && session_.port.get() == watched_port_)
    OnPortInput(session_);
  if (session_.tap) {
    if (ready.Has(EventSource::TapRegister) && session_.tap->Present(Tap::Register))
      OnTapInput(session_, Tap::Register);
    if (ready.Has(EventSource::TapDispenser) && session_.tap->Present(Tap::Dispenser))
      OnTapInput(session_, Tap::Dispenser);
  }
  OnTimeout(session_, std::chrono::steady_clock::now());
}

bool EventLoop::ServeConsole() {
  ConsoleInput& input = *input_;
  input.Gather();
  std::string line;
  bool ran = false;
  while (!session_.quit_requested) {
    // Each command may wait for its write time-out: a stop request that came
    // meanwhile is taken before the next one, whatever is still queued.
    if (ran && StopPending() && TakeStopSignal()) {
      OnStop(session_);
      break;
    }
    if (input.Take(line) != ConsoleInput::Next::Line) break;
    OnConsoleLine(session_, line);
    ran = true;
  }
  return ran;
}

bool EventLoop::Ended() {
  if (session_.quit_requested) return true;
  // The tap waits for a side that went away as long as it runs.
  if (front_ == Front::Window || session_.tap) return false;
  if (session_.port || session_.port_return.Waiting() || (input_ && input_->Open())) return false;
  session_.console->Log("Keine Schnittstelle offen und keine Eingabe mehr: Ende.\n");
  session_.exit_code = kExitNoPort;
  OnCommand(session_, ctl::Exit);
  return true;
}

void EventLoop::Run(const std::function<bool()>& serve_window) {
  WaitSet waits;
  // A scenario's first statements run before the port is first read: what
  // they set is in force for the first message, however early it came.
  OnTimeout(session_, std::chrono::steady_clock::now());
  while (!Ended()) {
    // Window events first: every waiting message; then the command lines
    // that came meanwhile (making the window may take a while), then the pass
    // that sends what a click or a command queued, before the port is looked
    // at.
    if (serve_window && serve_window()) {
      if (!session_.quit_requested && input_ && input_->Open()) ServeConsole();
      if (!session_.quit_requested) PassAfterEvent(session_);
      continue;
    }
    waits.Clear();
    for (const EventWatch& watch : Sources()) waits.Add(watch.handle, static_cast<int>(watch.source));
    if (serve_window) waits.AddWindowMessages(static_cast<int>(EventSource::Window));
    EventSources ready = Held();
    const int timeout = ready.Empty() ? DeadlineMillis(std::chrono::steady_clock::now()) : 0;
    ++turns_;
    if (!waits.Wait(timeout)) break;
    for (const WaitSet::Tag tag : waits.Ready()) ready.Add(static_cast<EventSource>(tag));
    Dispatch(ready);
  }
}

}  // namespace tapix
