// A tip window in the shape of a speech balloon, its stem pointing up at the
// place the mouse rests on. Goes away when the mouse leaves the control, on a
// click, or after a while.
#pragma once

#include <QPainterPath>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace tapix {

class BalloonTip final : public QWidget {
  Q_OBJECT

 public:
  BalloonTip();

  // Shows `text` (lines separated by "\n") for `tool` with the stem's tip at
  // `global_pos`.
  void ShowText(const QPoint& global_pos, const QString& text, QWidget* tool);
  void HideFor(const QWidget* tool);

  const QString& text() const { return text_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPainterPath Outline() const;

  QString text_;
  QPointer<QWidget> tool_;
  QTimer expiry_;
};

}  // namespace tapix
