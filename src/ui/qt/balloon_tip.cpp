#include "ui/qt/balloon_tip.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <QScreen>

namespace tapix {
namespace {

constexpr int kStem = 12;          // height of the stem
constexpr int kStemOffset = 16;    // stem tip from the balloon's left edge
constexpr int kPadding = 8;
constexpr int kRadius = 8;
constexpr int kShowMs = 10000;     // how long a balloon stays without a move

}  // namespace

BalloonTip::BalloonTip() : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setPalette(QGuiApplication::palette());
  expiry_.setSingleShot(true);
  connect(&expiry_, &QTimer::timeout, this, &QWidget::hide);
}

void BalloonTip::ShowText(const QPoint& global_pos, const QString& text, QWidget* tool) {
  text_ = text;
  tool_ = tool;
  if (tool) setFont(tool->window()->font());
  const QSize body = QFontMetrics(font()).size(0, text_) + QSize(2 * kPadding, 2 * kPadding);
  resize(body.width() + 1, body.height() + kStem + 1);
  QPoint top_left = global_pos - QPoint(kStemOffset, 0);
  if (const QScreen* screen = QGuiApplication::screenAt(global_pos)) {
    const QRect room = screen->availableGeometry();
    top_left.setX(qBound(room.left(), top_left.x(), room.right() - width()));
  }
  move(top_left);
  setMask(QRegion(Outline().toFillPolygon().toPolygon()));
  show();
  raise();
  update();
  expiry_.start(kShowMs);
}

void BalloonTip::HideFor(const QWidget* tool) {
  if (tool_ == tool) {
    expiry_.stop();
    hide();
  }
}

QPainterPath BalloonTip::Outline() const {
  const QRectF body(0, kStem, width() - 1, height() - kStem - 1);
  QPainterPath path;
  path.addRoundedRect(body, kRadius, kRadius);
  QPolygonF stem;
  stem << QPointF(kStemOffset - 6, kStem + 1) << QPointF(kStemOffset, 0)
       << QPointF(kStemOffset + 6, kStem + 1);
  QPainterPath stem_path;
  stem_path.addPolygon(stem);
  stem_path.closeSubpath();
  return path.united(stem_path);
}

void BalloonTip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(palette().color(QPalette::ToolTipText));
  painter.setBrush(palette().color(QPalette::ToolTipBase));
  painter.drawPath(Outline());
  painter.drawText(QRect(kPadding, kStem + kPadding, width() - 2 * kPadding,
                         height() - kStem - 2 * kPadding),
                   Qt::AlignLeft | Qt::AlignTop, text_);
}

}  // namespace tapix
