// The Win32 front end: the port question (template 102) and the main window
// (template 101) owned by the console window, run by the window loop.
#include "log/console.h"
#include "app/exit_codes.h"
#include "ui/front_ends.h"
#include "ui/win32/main_window.h"
#include "ui/win32/port_dialog.h"
#include "platform/console_input.h"
#include "ui/win32/win32_loop.h"

#include <commctrl.h>

namespace tapix {
namespace {

// The owner of both dialogs: the console window, or none when the program
// runs without one.
HWND OwnerWindow() { return GetConsoleWindow(); }

class Win32FrontEnd final : public FrontEnd {
 public:
  Win32FrontEnd() {
    // The tooltip window class must exist before the main window asks for it.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);
  }

  PortChoice ChoosePort(Session& session) override {
    return win32::RunPortDialog(GetModuleHandleA(nullptr), OwnerWindow(), session);
  }

  void Run(Session& session) override {
    // Command lines are read from now on, so those that come while the
    // window is being made are there before the first look at the port.
    ConsoleInput::Standard();
    win32::MainWindow window(session);
    HWND dialog = window.Create(GetModuleHandleA(nullptr), OwnerWindow());
    if (!dialog) {
      Logf(*session.console, "Das Fenster kann nicht angelegt werden (Fehler %lu)\n",
           GetLastError());
      session.exit_code = kExitBadStart;
      return;
    }
    session.configure_dialog = [dialog](std::string_view device, DCB& dcb) {
      return win32::RunCommConfigDialog(dialog, device, dcb);
    };
    win32::RunWindowLoop(session, dialog);
    session.configure_dialog = nullptr;
  }
};

// A desktop the operator can see: a visible window station.
bool DesktopAvailable() {
  USEROBJECTFLAGS flags{};
  return GetUserObjectInformationA(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                   nullptr) &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace

std::unique_ptr<FrontEnd> MakeWin32FrontEnd() {
  if (!DesktopAvailable()) return nullptr;
  return std::make_unique<Win32FrontEnd>();
}

}  // namespace tapix
