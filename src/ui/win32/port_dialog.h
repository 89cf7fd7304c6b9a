// The port question at start-up (dialog template 102) and the system's port
// configuration dialog behind "Einstellen ...".
#pragma once

#include "app/front_end.h"
#include "app/session.h"

#include <windows.h>

namespace tapix::win32 {

inline constexpr int kPortDialogTemplate = 102;

// Shows the modal port question: Chosen after "OK" (settings.port holds the
// choice, 0 when nothing was chosen); Cancelled after "Abbrechen", Escape,
// the close box or a stop request, or when it cannot be shown.
PortChoice RunPortDialog(HINSTANCE instance, HWND owner, Session& session);

// The system's configuration dialog (CommConfigDialogA) for `device` ("COMn"),
// starting from `dcb`; true with the complete DCB the operator confirmed,
// false (DCB untouched) on cancel or when the dialog cannot be shown.
bool RunCommConfigDialog(HWND owner, std::string_view device, DCB& dcb);

}  // namespace tapix::win32
