#include "ui/win32/win32_loop.h"

#include "core/loop.h"

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

}  // namespace

void RunWindowLoop(Session& session, HWND dialog) {
  while (!session.quit_requested) {
    if (PumpMessages(session, dialog)) {
      // A click's request goes out now, not after the next read time-out.
      if (!session.quit_requested) PassAfterEvent(session);
      continue;
    }
    if (session.port) {
      PollPass(session);
      CheckHangup(session);
      continue;
    }
    // No port: nothing but a message can change anything.
    MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace tapix::win32
