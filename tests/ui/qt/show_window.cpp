// Shows one of the windows with made-up ports, for screenshots and for a look
// by hand:
//   show_window [main|ports|config]
// The main window runs until "Beenden"; nothing is opened.
#include <cstring>
#include <set>

#include <QApplication>

#include "log/console.h"
#include "app/session.h"
#include "serial/port_settings.h"
#include "ui/qt/main_window.h"
#include "ui/qt/port_config_dialog.h"
#include "ui/qt/port_dialog.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const char* which = argc > 1 ? argv[1] : "main";
  tapix::StdConsole console;
  tapix::Session session;
  tapix::SetDefaults(session.settings);
  session.console = &console;
  const std::vector<tapix::PresentPort> present = {{1, {}, {}}, {3, {}, {}}, {12, {}, {}}};

  if (std::strcmp(which, "ports") == 0) {
    tapix::PortDialog dialog(session);
    session.port_choices.Fill(1, present);
    return dialog.exec();
  }
  if (std::strcmp(which, "config") == 0) {
    tapix::DCB dcb = session.settings.dcb;
    return tapix::RunPortConfigDialog(nullptr, "COM1", dcb) ? 0 : 1;
  }
  tapix::MainWindow window(session);
  session.port_choices.Fill(session.settings.port, present);
  QObject::connect(&window, &tapix::MainWindow::acted, &app, [&] {
    if (session.quit_requested) app.quit();
  });
  window.show();
  return app.exec();
}
