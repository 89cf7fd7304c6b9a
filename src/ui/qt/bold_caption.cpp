#include "ui/qt/bold_caption.h"

#include <QApplication>

#include "ui/qt/control_lookup.h"

namespace tapix {

void BoldCaption::Create(QWidget* dialog, int id) {
  control_ = FindControl(dialog, id);
  if (!control_) return;
  original_ = control_->font();
  QFont bold = original_;
  bold.setWeight(QFont::Bold);
  bold_ = bold;
  control_->setFont(*bold_);
}

BoldCaption::~BoldCaption() {
  if (!bold_) return;
  // The control must not keep a font that is about to go: it gets the
  // application's default font back.
  if (control_) control_->setFont(QApplication::font());
  bold_.reset();
}

}  // namespace tapix
