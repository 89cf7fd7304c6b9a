// The Qt front end: the port selection dialog at start-up and the main window
// with the event loop that drives the polling passes.
#pragma once

#include <memory>
#include <vector>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include "app/events.h"
#include "app/front_end.h"
#include "platform/console_input.h"

class QEventLoop;

namespace tapix {

class MainWindow;

// Runs one session's event loop inside Qt's: a socket notifier on each
// source the loop gathers (stop, console input, query timer, port, the tap's
// sides) and a single-shot timer for its next deadline, each calling the
// loop's Dispatch. Nothing polls: the program sleeps until a source, the
// window or a deadline has something.
class QtLoop final : public QObject {
  Q_OBJECT

 public:
  // `input`: the console's command lines, null when none are read.
  QtLoop(Session& session, MainWindow& window, ConsoleInput* input,
         int query_period_ms = kQueryTimerMs);
  ~QtLoop() override;

  // Until session.quit_requested.
  void Exec();

  // While a modal dialog is open the loop does not poll: bytes wait in the
  // driver, command lines on their input and the timer's ticks in the timer,
  // as with the port dialog at start-up. Stop requests still end the
  // program, and the tap keeps forwarding: the devices on both sides must
  // not notice the window.
  void Suspend();
  void Resume();

  // Whether `source` is watched now (for tests).
  bool Watching(EventSource source) const;

 private:
  struct Watch {
    EventSource source;
    WaitHandle handle;
    QSocketNotifier* notifier;
  };

  // After every event: the notifiers follow the loop's sources, the
  // deadline timer its next deadline; at the end the loop quits.
  void Sync();
  void OnReady(EventSources ready);
  bool Watched(EventSource source) const;
  static void Drop(QSocketNotifier* notifier);

  Session& session_;
  EventLoop events_;
  QEventLoop* loop_ = nullptr;
  std::vector<Watch> watches_;
  QTimer deadline_;
  int suspended_ = 0;
};

}  // namespace tapix
