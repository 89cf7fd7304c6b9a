// A caption of a dialog drawn with a bold copy of its own font. The bold font
// is held until the caption object goes, which gives the control the default
// font again when it still exists.
#pragma once

#include <optional>

#include <QFont>
#include <QPointer>
#include <QWidget>

namespace tapix {

class BoldCaption {
 public:
  BoldCaption() = default;
  ~BoldCaption();
  BoldCaption(const BoldCaption&) = delete;
  BoldCaption& operator=(const BoldCaption&) = delete;

  // Finds control `id` of the dialog, copies its font with the weight made
  // bold and gives the copy to the control. Nothing when there is no such
  // control.
  void Create(QWidget* dialog, int id);

  // The bold font, when one was made.
  const std::optional<QFont>& font() const { return bold_; }
  QWidget* control() const { return control_; }

 private:
  std::optional<QFont> bold_;
  QFont original_;  // the caption's font as it was found
  QPointer<QWidget> control_;
};

}  // namespace tapix
