// The loop of the Win32 window: window messages first, through the dialog's
// keyboard handling; then the stop request, console commands and the port.
#pragma once

#include "app/session.h"

#include <windows.h>

namespace tapix::win32 {

// Runs until the quit message (or session.quit_requested). Each turn serves
// every waiting window message (IsDialogMessageA for `dialog`, else
// TranslateMessage and DispatchMessageA) and then sends a request the window
// queued at once. With nothing waiting it sleeps in one
// MsgWaitForMultipleObjectsEx on the window's messages, the stop event, the
// console's command lines and the port's first-byte read, so it never spins
// and a click reaches the line at once even while that read is pending.
void RunWindowLoop(Session& session, HWND dialog);

}  // namespace tapix::win32
