// Stop requests on Windows: Ctrl+C, Ctrl+Break and closing the console (also
// log-off and shut-down) set one event that the loop waits on.
#include "platform/signals.h"

#include <windows.h>

namespace tapix {
namespace {

HANDLE g_stop = nullptr;  // manual reset: set until the loop takes it
HANDLE g_done = nullptr;  // set once shutdown has saved the settings

// Windows ends the process once the handler of a close, log-off or shut-down
// event returns (and after about five seconds in any case).
constexpr DWORD kCloseWaitMs = 4500;

BOOL WINAPI OnConsoleControl(DWORD event) {
  ::SetEvent(g_stop);
  switch (event) {
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The console goes away: hold the process until the loop has closed the
      // port and saved the settings.
      ::WaitForSingleObject(g_done, kCloseWaitMs);
      return TRUE;
    default:
      return TRUE;
  }
}

}  // namespace

WaitHandle InstallStopSignals() {
  if (g_stop == nullptr) {
    g_stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (g_stop == nullptr || g_done == nullptr) return kNoWaitHandle;
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  }
  return reinterpret_cast<WaitHandle>(g_stop);
}

bool TakeStopSignal() {
  if (g_stop == nullptr || ::WaitForSingleObject(g_stop, 0) != WAIT_OBJECT_0) return false;
  ::ResetEvent(g_stop);
  return true;
}

bool StopPending() {
  return g_stop != nullptr && ::WaitForSingleObject(g_stop, 0) == WAIT_OBJECT_0;
}

void StopSignalsDone() {
  if (g_done != nullptr) ::SetEvent(g_done);
}

}  // namespace tapix
