// The polling loop of the Win32 window: window messages first, through the
// dialog's keyboard handling; then the port.
#pragma once

#include "core/session.h"

#include <windows.h>

namespace tapix::win32 {

// Runs until the quit message (or session.quit_requested). Each turn serves
// every waiting window message (IsDialogMessageA for `dialog`, else
// TranslateMessage and DispatchMessageA) and then sends a request the window
// queued at once; with nothing waiting it polls the open port (one read of up
// to its read time-out), or, with no port open, sleeps until a message comes.
void RunWindowLoop(Session& session, HWND dialog);

}  // namespace tapix::win32
