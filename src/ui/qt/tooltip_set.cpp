#include "ui/qt/tooltip_set.h"

#include <QEvent>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

#include "ui/qt/balloon_tip.h"

namespace tapix {

TooltipSet::TooltipSet() = default;
TooltipSet::~TooltipSet() = default;

void TooltipSet::Create(QWidget* owner, bool balloon, NeedText need_text) {
  owner_ = owner;
  balloon_ = balloon;
  need_text_ = std::move(need_text);
  if (owner) owner->setAttribute(Qt::WA_AlwaysShowToolTips);
}

bool TooltipSet::AddTool(QWidget* control, const char* text) {
  if (!owner_ || !control) return false;
  tools_.push_back({control, text});
  control->installEventFilter(this);
  return true;
}

const TooltipSet::Tool* TooltipSet::Find(const QObject* control) const {
  for (const Tool& tool : tools_) {
    if (tool.control && tool.control.data() == control) return &tool;
  }
  return nullptr;
}

QString TooltipSet::TipText(QWidget* control) const {
  const Tool* tool = Find(control);
  if (!tool) return QString();
  const char* text = tool->text;
  if (!text && need_text_) text = need_text_(control);
  if (!text) return QString();
  QString lines = QString::fromUtf8(text);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return lines;
}

std::vector<QWidget*> TooltipSet::Tools() const {
  std::vector<QWidget*> out;
  for (const Tool& tool : tools_) out.push_back(tool.control.data());
  return out;
}

bool TooltipSet::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      auto* control = qobject_cast<QWidget*>(watched);
      if (!control || !Find(control)) break;
      const QString text = TipText(control);
      if (text.isEmpty()) return true;
      const QPoint where = static_cast<QHelpEvent*>(event)->globalPos();
      if (balloon_) {
        if (!balloon_tip_) balloon_tip_ = std::make_unique<BalloonTip>();
        balloon_tip_->ShowText(where, text, control);
      } else {
        QToolTip::showText(where, text, control);
      }
      return true;
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
      if (balloon_tip_) balloon_tip_->HideFor(qobject_cast<QWidget*>(watched));
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace tapix
