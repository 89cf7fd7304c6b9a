#include "ui/win32/win32_loop.h"

#include "app/console_commands.h"
#include "app/loop.h"
#include "platform/signals.h"
#include "ui/headless/headless_common.h"
#include "app/wait_set.h"

namespace tapix::win32 {
namespace {

// Serves the waiting messages. True when at least one was handled.
bool PumpMessages(Session& session, HWND dialog) {
  bool handled = false;
  MSG message;
  while (!session.quit_requested && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      session.quit_requested = true;
      break;
    }
    if (!IsDialogMessageA(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    handled = true;
  }
  return handled;
}

// Runs every command line that waits. The pass that follows comes after the
// last of them, so a message already on the line is answered with all the
// settings the lines made.
void TakeConsoleLines(Session& session, bool& input_open) {
  input_open = ConsoleLines::Get().TakeWaiting(
      session.quit_requested, [&](const std::string& line) { ExecuteCommandLine(session, line); });
}

}  // namespace

void RunWindowLoop(Session& session, HWND dialog) {
  WaitSet waits;
  // Commands on standard input work while the window is open, as in the
  // console front end; at the end of input the window goes on.
  bool input_open = true;
  while (!session.quit_requested) {
    if (PumpMessages(session, dialog)) {
      // Operator events before the line: command lines that came meanwhile
      // too (the first pass follows the window's creation, which may take a
      // while), then a click's request goes out now, not after the next read.
      if (input_open) TakeConsoleLines(session, input_open);
      if (!session.quit_requested) PassAfterEvent(session);
      continue;
    }
    WaitHandle handles[WaitSet::kMaxHandles];
    const std::size_t count = waits.Collect(session, input_open, handles);
    HANDLE system[WaitSet::kMaxHandles];
    for (std::size_t i = 0; i < count; ++i) system[i] = reinterpret_cast<HANDLE>(handles[i]);
    const DWORD r = MsgWaitForMultipleObjectsEx(static_cast<DWORD>(count), system, INFINITE,
                                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (r == WAIT_FAILED) break;
    if (r == WAIT_OBJECT_0 + count) continue;  // window messages
    switch (waits.Which(r - WAIT_OBJECT_0)) {
      case WaitSet::Source::Stop:
        // Ctrl+C or closing the console: "Beenden".
        if (TakeStopSignal()) SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), 0);
        break;
      case WaitSet::Source::Lines:
        TakeConsoleLines(session, input_open);
        if (!session.quit_requested) PassAfterEvent(session);
        break;
      case WaitSet::Source::Port:
        OnPortInput(session);
        break;
      case WaitSet::Source::Timer:  // the dialog's own WM_TIMER queries
      case WaitSet::Source::Other:
        break;
    }
  }
}

}  // namespace tapix::win32
