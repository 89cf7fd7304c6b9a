// The line tap inside Qt's event loop: a notifier on each port and a timer
// for the next message a pause would cut. It keeps forwarding while a modal
// dialog is open: the devices on both sides must not notice the window.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include "app/session.h"

namespace tapix {

class QtTap final : public QObject {
  Q_OBJECT

 public:
  explicit QtTap(Session& session);

 private:
  void OnInput(int side);
  void ArmTimer();

  Session& session_;
  QSocketNotifier* notifiers_[2] = {};
  QTimer timer_;
};

}  // namespace tapix
