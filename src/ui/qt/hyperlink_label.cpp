#include "ui/qt/hyperlink_label.h"

#include <cstring>

#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "ui/qt/app_resources.h"
#include "ui/qt/control_lookup.h"

namespace tapix {

std::string CutUtf8(const std::string& text, std::size_t max) {
  if (text.size() <= max) return text;
  std::size_t end = max;
  // Step back over continuation bytes (10xxxxxx) to the start of the
  // character that would be cut.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

HyperlinkLabel::HyperlinkLabel()
    : opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

bool HyperlinkLabel::Attach(QWidget* dialog, int id) {
  if (!dialog) return false;
  id_ = id;
  auto* label = qobject_cast<QLabel*>(FindControl(dialog, id));
  if (!label) return false;
  label_ = label;
  label->installEventFilter(this);
  return true;
}

bool HyperlinkLabel::SetLink(const char* target, const char* text) {
  if (!label_) return false;
  const std::string own = label_->text().toStdString();
  target_ = CutUtf8(target ? std::string(target) : own, kMaxText);
  text_ = CutUtf8(text ? std::string(text) : own, kMaxText);

  cursor_name_ = target_.compare(0, 7, "mailto:") == 0 ? "CURSOR_MAILHAND" : "CURSOR_WWWHAND";
  if (const auto cursor = LoadCursorResource(cursor_name_)) {
    label_->setCursor(*cursor);
  } else {
    label_->unsetCursor();
  }

  if (!has_font_) {
    QFont underlined = label_->font();
    underlined.setUnderline(true);
    label_->setFont(underlined);
    has_font_ = true;
  }
  linked_ = true;
  label_->update();
  return true;
}

void HyperlinkLabel::Open() {
  if (opener_ && opener_(QUrl(QString::fromStdString(target_)))) {
    visited_ = true;
    if (label_) label_->update();
  } else {
    QApplication::beep();
  }
}

void HyperlinkLabel::Paint() {
  QLabel* label = label_;
  QPainter painter(label);
  painter.setFont(label->font());
  painter.setPen(colour());
  const QString shown = QString::fromStdString(text_);
  const Qt::Alignment align = label->alignment();
  // The text starts at the top; horizontally it follows the label's alignment.
  int flags = Qt::AlignTop | Qt::TextSingleLine;
  if (align & Qt::AlignHCenter) {
    flags |= Qt::AlignHCenter;
  } else if (align & Qt::AlignRight) {
    flags |= Qt::AlignRight;
  } else {
    flags |= Qt::AlignLeft;
  }
  painter.drawText(label->rect(), flags, shown);
}

bool HyperlinkLabel::eventFilter(QObject* watched, QEvent* event) {
  if (watched != label_.data() || !linked_) {
    return QObject::eventFilter(watched, event);
  }
  switch (event->type()) {
    case QEvent::Paint:
      Paint();
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) Open();
      return true;
    case QEvent::MouseButtonRelease:
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace tapix
