// A set of tooltips for controls of one window: the tip shows the control's
// text while the mouse rests on it. Texts are fixed when the tool is added, or
// asked from the owner each time the tip is about to show.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace tapix {

class BalloonTip;

class TooltipSet final : public QObject {
  Q_OBJECT

 public:
  // Answers the text of a tool added without one (UTF-8, lines separated by
  // "\r\n"); null for no tip.
  using NeedText = std::function<const char*(QWidget* tool)>;

  TooltipSet();
  ~TooltipSet() override;

  // Takes the owner window and the look: a balloon with a stem, or the plain
  // tip. The tips show also while the owner is not the active window.
  void Create(QWidget* owner, bool balloon, NeedText need_text = {});

  // Registers one control; `text` is UTF-8 of static storage, or null for a
  // text asked from NeedText whenever the tip shows. False without Create or
  // control.
  bool AddTool(QWidget* control, const char* text);

  // The text the tip of `control` shows now, with its lines separated by
  // "\n"; empty when it is not a tool or has no text.
  QString TipText(QWidget* control) const;

  // The registered controls, in the order added.
  std::vector<QWidget*> Tools() const;

  bool IsBalloon() const { return balloon_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Tool {
    QPointer<QWidget> control;
    const char* text;  // null: on demand
  };
  const Tool* Find(const QObject* control) const;

  QPointer<QWidget> owner_;
  bool balloon_ = false;
  NeedText need_text_;
  std::vector<Tool> tools_;
  std::unique_ptr<BalloonTip> balloon_tip_;
};

}  // namespace tapix
