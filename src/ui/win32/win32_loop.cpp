#include "ui/win32/win32_loop.h"

#include "app/events.h"
#include "platform/console_input.h"

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
  // Commands on standard input work while the window is open, as in the
  // console front end; at the end of input the window goes on.
  EventLoop(session, &ConsoleInput::Standard(), EventLoop::Front::Window).Run([&] {
    return PumpMessages(session, dialog);
  });
}

}  // namespace tapix::win32
