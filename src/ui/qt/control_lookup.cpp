#include "ui/qt/control_lookup.h"

#include <QVariant>
#include <QWidget>

namespace tapix {
namespace {

constexpr const char* kIdProperty = "tapixControlId";

}  // namespace

void SetControlId(QWidget* control, int id) { control->setProperty(kIdProperty, id); }

int ControlId(const QWidget* control) {
  return control ? control->property(kIdProperty).toInt() : 0;
}

QWidget* FindControl(const QWidget* dialog, int id) {
  if (!dialog) return nullptr;
  for (QWidget* child : dialog->findChildren<QWidget*>()) {
    if (ControlId(child) == id) return child;
  }
  return nullptr;
}

}  // namespace tapix
