#include "ui/qt/qt_frontend.h"

#include <fcntl.h>

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>

#include "app/console_commands.h"
#include "app/loop.h"
#include "platform/signals.h"
#include "app/window_commands.h"
#include "ui/qt/app_resources.h"
#include "platform/display.h"
#include "ui/qt/log_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/port_config_dialog.h"
#include "ui/qt/platform_probe.h"
#include "ui/qt/port_dialog.h"
#include "ui/qt/qt_tap.h"

namespace tapix {

QtLoop::QtLoop(Session& session, MainWindow& window) : session_(session), window_(window) {
  connect(&window_, &MainWindow::acted, this, &QtLoop::AfterEvent);
}

QtLoop::~QtLoop() {
  Drop(port_notifier_);
  Drop(command_notifier_);
  Drop(stop_notifier_);
}

void QtLoop::Drop(QSocketNotifier*& notifier) {
  if (!notifier) return;
  // The notifier may be the sender of the slot running now: it goes once
  // control is back in the event loop.
  notifier->setEnabled(false);
  notifier->deleteLater();
  notifier = nullptr;
}

void QtLoop::Exec() {
  if (session_.quit_requested) return;
  QEventLoop loop;
  loop_ = &loop;
  loop.exec();
  loop_ = nullptr;
}

void QtLoop::WatchPort() {
  SerialDevice* now = session_.port.get();
  if (now == watched_port_ && (port_notifier_ != nullptr) == (now && now->InputWaitHandle() >= 0)) return;
  Drop(port_notifier_);
  watched_port_ = now;
  if (!now || now->InputWaitHandle() < 0) return;
  port_notifier_ = new QSocketNotifier(static_cast<int>(now->InputWaitHandle()), QSocketNotifier::Read, this);
  port_notifier_->setEnabled(suspended_ == 0);
  connect(port_notifier_, &QSocketNotifier::activated, this, &QtLoop::OnPortInput);
}

void QtLoop::WatchCommands(int fd) {
  Drop(command_notifier_);
  if (::fcntl(fd, F_GETFD) == -1) return;  // no such input (closed at start)
  commands_ = std::make_unique<LineReader>(fd);
  command_notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  command_notifier_->setEnabled(suspended_ == 0);
  connect(command_notifier_, &QSocketNotifier::activated, this, &QtLoop::OnCommandInput);
}

void QtLoop::Enable(bool on) {
  if (port_notifier_) port_notifier_->setEnabled(on);
  if (command_notifier_) command_notifier_->setEnabled(on);
}

void QtLoop::Suspend() {
  if (suspended_++ == 0) Enable(false);
}

void QtLoop::Resume() {
  if (suspended_ > 0 && --suspended_ == 0) Enable(true);
}

void QtLoop::WatchStopSignals(int fd) {
  Drop(stop_notifier_);
  if (fd < 0) return;
  stop_notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(stop_notifier_, &QSocketNotifier::activated, this, &QtLoop::OnStopSignal);
}

void QtLoop::AfterEvent() {
  if (session_.quit_requested) {
    if (loop_) loop_->quit();
    return;
  }
  WatchPort();
}

void QtLoop::OnPortInput() {
  PollPass(session_);
  CheckHangup(session_);
  AfterEvent();
}

void QtLoop::OnCommandInput() {
  if (!commands_) return;
  const bool more = commands_->ReadAvailable([this](std::string_view line) {
    if (session_.quit_requested) return;
    ExecuteCommandLine(session_, line);
    PassAfterEvent(session_);
  });
  // At the end of input the commands stop; the window goes on.
  if (!more) Drop(command_notifier_);
  AfterEvent();
}

void QtLoop::OnStopSignal() {
  if (TakeStopSignal()) {
    window_.Exit();
    // A modal dialog open now would hold the program until someone closes
    // it: it is cancelled.
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      dialog->reject();
    }
  }
  AfterEvent();
}

namespace {

class QtFrontEnd final : public FrontEnd {
 public:
  QtFrontEnd(int argc, char** argv) {
    // Qt takes options of its own from the arguments it is given (-platform,
    // -reverse, -qwindowtitle, ...). The program ignores further arguments,
    // so Qt gets the program name alone; it keeps a reference to both.
    if (argc > 0 && argv[0] != nullptr) qt_argv_[0] = argv[0];
    if (!QApplication::instance()) app_ = std::make_unique<QApplication>(qt_argc_, qt_argv_);
    QApplication::setWindowIcon(ProgramIcon());
    // The desktop matches the window to the menu entry tapix.desktop (its
    // icon, its name) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("tapix"));
  }

  int ChoosePort(Session& session) override {
    PortDialog dialog(session);
    // Ctrl+C or SIGTERM at the port question cancels it, and so ends the run.
    std::unique_ptr<QSocketNotifier> stop;
    const int stop_fd = InstallStopSignals();
    if (stop_fd >= 0) {
      stop = std::make_unique<QSocketNotifier>(stop_fd, QSocketNotifier::Read);
      QObject::connect(stop.get(), &QSocketNotifier::activated, &dialog, [&dialog] {
        if (TakeStopSignal()) dialog.reject();
      });
    }
    return dialog.exec() == PortDialog::kOk ? PortDialog::kOk : PortDialog::kCancel;
  }

  void Run(Session& session) override {
    MainWindow window(session);
    QtLoop loop(session, window);
    session.configure_dialog = [&window, &loop](std::string_view device, DCB& dcb) {
      loop.Suspend();
      const bool confirmed = RunPortConfigDialog(&window, device, dcb);
      loop.Resume();
      return confirmed;
    };
    loop.WatchPort();
    // The tap holds both ports; the option boxes still set the flags its
    // decoders read.
    std::unique_ptr<QtTap> tap;
    if (session.tap) tap = std::make_unique<QtTap>(session);
    loop.WatchCommands(0);
    loop.WatchStopSignals(InstallStopSignals());
    // The log beside the window: without a terminal it is the only place the
    // operator sees traffic and failures.
    LogWindow log(session.log_history);
    QObject::connect(&log, &LogWindow::closeRequested, &window, &MainWindow::Exit);
    window.show();
    log.PlaceBeside(window);
    log.show();
    window.raise();
    window.activateWindow();
    loop.Exec();
    window.QueryTimer().stop();
    log.hide();
    window.hide();
    session.configure_dialog = nullptr;
    ForgetWindow(session);
  }

 private:
  char program_[6] = "tapix";
  int qt_argc_ = 1;
  char* qt_argv_[2] = {program_, nullptr};
  std::unique_ptr<QApplication> app_;
};

}  // namespace

std::unique_ptr<FrontEnd> MakeQtFrontEnd(int& argc, char** argv) {
  if (!QApplication::instance()) {
    if (!DisplayAvailable()) return nullptr;
    // A window that cannot start means a run on the console, as without a
    // display; Qt would end the process instead.
    std::string why;
    if (!QtPlatformStarts(why)) {
      const char* platform = std::getenv("QT_QPA_PLATFORM");
      const std::string named =
          platform && *platform ? std::string(" (QT_QPA_PLATFORM=") + platform + ")" : "";
      std::fprintf(stderr, "%stapix: das Fenster kann nicht starten%s, weiter ohne Fenster\n",
                   why.c_str(), named.c_str());
      return nullptr;
    }
    EndFatalQtMessagesWithTwo();
  }
  return std::make_unique<QtFrontEnd>(argc, argv);
}

}  // namespace tapix
