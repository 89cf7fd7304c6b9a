#include "ui/qt/qt_tap.h"

#include <chrono>

#include "app/tap_start.h"

namespace tapix {

QtTap::QtTap(Session& session) : session_(session) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    session_.tap->Expire(std::chrono::steady_clock::now());
    ArmTimer();
  });
  for (int side = 0; side < 2; ++side) {
    const int fd = static_cast<int>(session_.tap->Device(static_cast<Tap::Side>(side)).InputWaitHandle());
    if (fd < 0) continue;
    notifiers_[side] = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifiers_[side], &QSocketNotifier::activated, this, [this, side] { OnInput(side); });
  }
}

void QtTap::OnInput(int side) {
  if (!ServeTapSide(session_, static_cast<Tap::Side>(side))) notifiers_[side]->setEnabled(false);
  ArmTimer();
}

void QtTap::ArmTimer() {
  const int wait = session_.tap->WaitMillis(std::chrono::steady_clock::now());
  if (wait < 0) {
    timer_.stop();
  } else {
    timer_.start(wait);
  }
}

}  // namespace tapix
