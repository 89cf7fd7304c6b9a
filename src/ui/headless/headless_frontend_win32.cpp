// The console front end on Windows: the in-memory panel stands in for the
// window, command lines come from standard input through a reader thread,
// and one WaitForMultipleObjects waits on everything at once — the stop
// event, the console lines, the query timer and the port's first-byte read —
// so the program never spins, with or without a port.
#include <string>

#include "platform/signals.h"
#include "ui/headless/headless_common.h"
#include "app/wait_set.h"

#include <windows.h>

namespace tapix {

bool ReadAnswerLine(std::string* line) {
  ConsoleLines& lines = ConsoleLines::Get();
  const HANDLE handles[2] = {reinterpret_cast<HANDLE>(InstallStopSignals()),
                             reinterpret_cast<HANDLE>(lines.Event())};
  for (;;) {
    const DWORD r = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (r == WAIT_OBJECT_0 && TakeStopSignal()) return false;
    if (r == WAIT_FAILED) return false;
    switch (lines.Take(*line)) {
      case ConsoleLines::Next::Line:
        return true;
      case ConsoleLines::Next::End:
        return false;
      case ConsoleLines::Next::None:
        break;
    }
  }
}

void RunHeadlessLoop(Session& session) {
  WaitSet waits;
  bool input_open = true;

  while (!session.quit_requested) {
    if (EndWithoutPortOrInput(session, input_open)) break;
    WaitHandle handles[WaitSet::kMaxHandles];
    const std::size_t count = waits.Collect(session, input_open, handles);
    HANDLE system[WaitSet::kMaxHandles];
    for (std::size_t i = 0; i < count; ++i) system[i] = reinterpret_cast<HANDLE>(handles[i]);
    const DWORD r = ::WaitForMultipleObjects(static_cast<DWORD>(count), system, FALSE, INFINITE);
    if (r == WAIT_FAILED) break;
    switch (waits.Which(r - WAIT_OBJECT_0)) {
      case WaitSet::Source::Stop:
        if (TakeStopSignal()) OnStop(session);
        break;
      case WaitSet::Source::Lines:
        // Window events first, as the loop has it: every line that waits.
        input_open = ConsoleLines::Get().TakeWaiting(
            session.quit_requested, [&](const std::string& line) { OnConsoleLine(session, line); });
        break;
      case WaitSet::Source::Timer:
        OnQueryTick(session);
        break;
      case WaitSet::Source::Port:
        OnPortInput(session);
        break;
      case WaitSet::Source::Other:
        break;
    }
  }
}

}  // namespace tapix
