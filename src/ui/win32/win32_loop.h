// The loop of the Win32 window: the event loop of app/ with the window's
// messages among its sources.
#pragma once

#include "app/session.h"

#include <windows.h>

namespace tapix::win32 {

// Runs until session.quit_requested. Each turn serves every waiting window
// message (IsDialogMessageA for `dialog`, else TranslateMessage and
// DispatchMessageA) and sends a request the window queued at once; with
// nothing waiting it sleeps in one MsgWaitForMultipleObjectsEx on the
// window's messages and the event loop's sources (stop, console lines, the
// query timer, the port's first-byte read), so it never spins and a click
// reaches the line at once even while that read is pending.
void RunWindowLoop(Session& session, HWND dialog);

}  // namespace tapix::win32
