// One WaitForMultipleObjects on the stop event, the console-line event and
// both ports' first-byte reads, with the time-out of the next message a pause
// would cut. Each byte is forwarded as soon as its port's read completes, so
// the tap adds no waiting of its own, and an idle tap takes no CPU.
//
// WaitForMultipleObjects names only the first handle that is set; after each
// wake every handle is looked at again, so a side that keeps sending cannot
// starve the other side or the console.
#include <chrono>
#include <string>

#include "app/console_commands.h"
#include "platform/signals.h"
#include "app/tap_start.h"
#include "app/window_commands.h"
#include "ui/headless/tap_loop.h"
#include "app/wait_set.h"

#include <windows.h>

namespace tapix {

namespace {

HANDLE AsHandle(WaitHandle handle) { return reinterpret_cast<HANDLE>(handle); }

bool IsSet(HANDLE handle) { return ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }

}  // namespace

void RunTapLoop(Session& session) {
  Tap& tap = *session.tap;
  const HANDLE stop = AsHandle(InstallStopSignals());
  const HANDLE lines = AsHandle(ConsoleLines::Get().Event());
  bool input_open = true;
  bool side_open[2] = {true, true};

  while (!session.quit_requested) {
    if (EndWhenBothSidesGone(session, side_open)) break;
    HANDLE handles[4];
    DWORD count = 0;
    if (stop != nullptr && stop != AsHandle(kNoWaitHandle)) handles[count++] = stop;
    if (input_open) handles[count++] = lines;
    HANDLE side_event[2] = {nullptr, nullptr};
    for (int side = 0; side < 2; ++side) {
      if (!side_open[side]) continue;
      // Starts the side's first-byte read unless a byte is already caught.
      side_event[side] = AsHandle(tap.Device(static_cast<Tap::Side>(side)).InputWaitHandle());
      handles[count++] = side_event[side];
    }
    const int millis = tap.WaitMillis(std::chrono::steady_clock::now());
    const DWORD r = ::WaitForMultipleObjects(count, handles, FALSE,
                                             millis < 0 ? INFINITE : static_cast<DWORD>(millis));
    if (r == WAIT_FAILED) break;
    if (TakeStopSignal()) {
      OnCommand(session, 1);
      break;
    }
    for (int side = 0; side < 2; ++side) {
      if (side_event[side] != nullptr && IsSet(side_event[side]))
        side_open[side] = ServeTapSide(session, static_cast<Tap::Side>(side));
    }
    tap.Expire(std::chrono::steady_clock::now());
    if (input_open && IsSet(lines)) {
      input_open = ConsoleLines::Get().TakeWaiting(
          session.quit_requested, [&](const std::string& line) { ExecuteCommandLine(session, line); });
    }
  }
}

}  // namespace tapix
