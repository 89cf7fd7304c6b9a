// Controls of a dialog found by their numeric ID, kept as a widget property.
#pragma once

class QWidget;

namespace tapix {

void SetControlId(QWidget* control, int id);

// The ID given with SetControlId, or 0 for none.
int ControlId(const QWidget* control);

// The child of `dialog` with that ID (at any depth), or null.
QWidget* FindControl(const QWidget* dialog, int id);

}  // namespace tapix
