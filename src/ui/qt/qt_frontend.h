// The Qt front end: the port selection dialog at start-up and the main window
// with the event loop that drives the polling passes.
#pragma once

#include <memory>

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include "platform/console_input.h"
#include "app/front_end.h"

class QApplication;
class QEventLoop;

namespace tapix {

class MainWindow;
class SerialDevice;

// Runs one session's loop inside Qt's event loop. Nothing polls: the loop
// sleeps until the port, standard input, a stop signal, the window or the
// query timer has something.
class QtLoop final : public QObject {
  Q_OBJECT

 public:
  QtLoop(Session& session, MainWindow& window);
  ~QtLoop() override;

  // Until session.quit_requested.
  void Exec();

  // Watches the port of the session now (after a reselection or a hang-up).
  void WatchPort();
  // Watches a file descriptor for command lines (standard input).
  void WatchCommands(int fd);
  // Watches the stop-signal pipe.
  void WatchStopSignals(int fd);

  // While a modal dialog is open the loop does not poll: bytes wait in the
  // driver and command lines on their input, as with the port dialog at
  // start-up. Stop signals still end the program.
  void Suspend();
  void Resume();

  // Whether the port is being watched now (for tests).
  bool WatchingPort() const { return port_notifier_ != nullptr; }
  bool WatchingCommands() const { return command_notifier_ != nullptr; }

 private:
  void AfterEvent();
  void OnPortInput();
  void OnCommandInput();
  void OnStopSignal();
  static void Drop(QSocketNotifier*& notifier);
  void Enable(bool on);

  Session& session_;
  MainWindow& window_;
  QEventLoop* loop_ = nullptr;
  QSocketNotifier* port_notifier_ = nullptr;
  const SerialDevice* watched_port_ = nullptr;
  QSocketNotifier* command_notifier_ = nullptr;
  std::unique_ptr<LineReader> commands_;
  QSocketNotifier* stop_notifier_ = nullptr;
  int suspended_ = 0;
};

}  // namespace tapix
