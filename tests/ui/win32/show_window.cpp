// Shows the Win32 main window (or the port question) with made-up ports, for
// screenshots under Wine and for a look by hand:
//   show_window.exe [main|ports]
// The main window runs until "Beenden"; no port is opened.
#include "log/console.h"
#include "app/session.h"
#include "serial/port_settings.h"
#include "ui/win32/main_window.h"
#include "ui/win32/port_dialog.h"
#include "ui/win32/win32_loop.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

// The log on standard output; the echo of written bytes is not shown.
class PrintConsole final : public tapix::Console {
 public:
  void Log(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
  void Echo(char) override {}
};

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&classes);
  PrintConsole console;
  tapix::Session session;
  tapix::SetDefaults(session.settings);
  session.console = &console;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (argc > 1 && std::strcmp(argv[1], "ports") == 0) {
    const tapix::PortChoice choice = tapix::win32::RunPortDialog(instance, nullptr, session);
    return choice == tapix::PortChoice::Chosen ? IDOK : IDCANCEL;
  }
  tapix::win32::MainWindow window(session);
  HWND dialog = window.Create(instance, nullptr);
  if (!dialog) return 1;
  session.port_choices.Fill(session.settings.port, {{1, {}, {}}, {3, {}, {}}, {12, {}, {}}});
  tapix::win32::RunWindowLoop(session, dialog);
  return 0;
}
