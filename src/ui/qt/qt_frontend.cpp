#include "ui/qt/qt_frontend.h"

#include <algorithm>
#include <chrono>

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>

#include "app/window_commands.h"
#include "platform/display.h"
#include "platform/signals.h"
#include "ui/qt/app_resources.h"
#include "ui/qt/log_window.h"
#include "ui/qt/main_window.h"
#include "ui/qt/port_config_dialog.h"
#include "ui/qt/platform_probe.h"
#include "ui/qt/port_dialog.h"

namespace tapix {

QtLoop::QtLoop(Session& session, MainWindow& window, ConsoleInput* input, int query_period_ms)
    : session_(session), events_(session, input, EventLoop::Front::Window, query_period_ms) {
  connect(&window, &MainWindow::acted, this, &QtLoop::Sync);
  deadline_.setSingleShot(true);
  deadline_.setTimerType(Qt::PreciseTimer);
  connect(&deadline_, &QTimer::timeout, this, [this] {
    // The deadlines, and console lines held from before: no wait needed.
    OnReady(suspended_ ? EventSources() : events_.Held());
  });
  Sync();
}

QtLoop::~QtLoop() {
  for (const Watch& watch : watches_) Drop(watch.notifier);
}

void QtLoop::Drop(QSocketNotifier* notifier) {
  // The notifier may be the sender of the slot running now: it goes once
  // control is back in the event loop.
  notifier->setEnabled(false);
  notifier->deleteLater();
}

void QtLoop::Exec() {
  if (session_.quit_requested) return;
  QEventLoop loop;
  loop_ = &loop;
  Sync();
  loop.exec();
  loop_ = nullptr;
}

bool QtLoop::Watched(EventSource source) const {
  // While a modal dialog is open: the stop request, and the tap, which must
  // keep forwarding.
  return suspended_ == 0 || source == EventSource::Stop || source == EventSource::TapRegister ||
         source == EventSource::TapDispenser;
}

void QtLoop::Sync() {
  if (session_.quit_requested) {
    for (const Watch& watch : watches_) Drop(watch.notifier);
    watches_.clear();
    deadline_.stop();
    // A modal dialog open now would hold the program until someone closes
    // it: it is cancelled.
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
    if (loop_) loop_->quit();
    return;
  }
  const std::vector<EventWatch>& sources = events_.Sources();
  // Gone, or another descriptor now (a port reselected): the notifier goes.
  std::erase_if(watches_, [&sources](const Watch& watch) {
    const bool kept = std::any_of(sources.begin(), sources.end(), [&watch](const EventWatch& s) {
      return s.source == watch.source && s.handle == watch.handle;
    });
    if (!kept) Drop(watch.notifier);
    return !kept;
  });
  for (const EventWatch& source : sources) {
    const auto known = std::find_if(watches_.begin(), watches_.end(),
                                    [&source](const Watch& w) { return w.source == source.source; });
    if (known != watches_.end()) continue;
    auto* notifier = new QSocketNotifier(static_cast<qintptr>(source.handle), QSocketNotifier::Read, this);
    const EventSource which = source.source;
    connect(notifier, &QSocketNotifier::activated, this, [this, which] {
      EventSources ready;
      ready.Add(which);
      OnReady(ready);
    });
    watches_.push_back({source.source, source.handle, notifier});
  }
  for (const Watch& watch : watches_) watch.notifier->setEnabled(Watched(watch.source));
  const int millis = !suspended_ && !events_.Held().Empty()
                         ? 0
                         : events_.DeadlineMillis(std::chrono::steady_clock::now());
  if (millis < 0) {
    deadline_.stop();
  } else {
    deadline_.start(millis);
  }
}

void QtLoop::OnReady(EventSources ready) {
  events_.Dispatch(ready);
  Sync();
}

void QtLoop::Suspend() {
  if (suspended_++ == 0) Sync();
}

void QtLoop::Resume() {
  if (suspended_ > 0 && --suspended_ == 0) Sync();
}

bool QtLoop::Watching(EventSource source) const {
  return std::any_of(watches_.begin(), watches_.end(), [source](const Watch& watch) {
    return watch.source == source && watch.notifier->isEnabled();
  });
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

  PortChoice ChoosePort(Session& session) override {
    PortDialog dialog(session);
    // Ctrl+C or SIGTERM at the port question cancels it, and so ends the run.
    std::unique_ptr<QSocketNotifier> stop;
    const WaitHandle stop_handle = InstallStopSignals();
    if (stop_handle != kNoWaitHandle) {
      stop = std::make_unique<QSocketNotifier>(static_cast<qintptr>(stop_handle), QSocketNotifier::Read);
      QObject::connect(stop.get(), &QSocketNotifier::activated, &dialog, [&dialog] {
        if (TakeStopSignal()) dialog.reject();
      });
    }
    dialog.exec();
    return dialog.Choice();
  }

  void Run(Session& session) override {
    MainWindow window(session);
    // The tap, when there is one, is among the loop's sources: the option
    // boxes still set the flags its decoders read.
    QtLoop loop(session, window, &ConsoleInput::Standard());
    session.configure_dialog = [&window, &loop](std::string_view device, DCB& dcb) {
      loop.Suspend();
      const bool confirmed = RunPortConfigDialog(&window, device, dcb);
      loop.Resume();
      return confirmed;
    };
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
