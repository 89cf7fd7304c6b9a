#include "ui/qt/port_dialog.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

#include "app/control_ids.h"
#include "ui/qt/app_resources.h"
#include "ui/qt/control_lookup.h"
#include "ui/qt/port_combo.h"

namespace tapix {
namespace {

QFont DialogFont() {
  QFont font(QStringLiteral("Sans Serif"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace

PortDialog::PortDialog(Session& session, QWidget* parent)
    : QDialog(parent), session_(session), units_(DialogUnits::ForFont(DialogFont())) {
  setWindowTitle(QStringLiteral("Schnittstelle"));
  setWindowIcon(ProgramIcon());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(DialogFont());
  setFixedSize(units_.X(157), units_.Y(59));

  // Tab order: OK, Abbrechen, the combo box.
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setGeometry(units_.ToPixels(20, 35, 50, 14));
  ok_->setDefault(true);
  SetControlId(ok_, ctl::Ok);
  connect(ok_, &QPushButton::clicked, this, &PortDialog::accept);

  cancel_ = new QPushButton(QStringLiteral("Abbrechen"), this);
  cancel_->setGeometry(units_.ToPixels(80, 35, 50, 14));
  cancel_->setAutoDefault(false);
  SetControlId(cancel_, ctl::Cancel);
  connect(cancel_, &QPushButton::clicked, this, &PortDialog::reject);

  combo_ = new PortCombo(this);
  const QRect place = units_.ToPixels(90, 7, 60, 72);
  combo_->setGeometry(place.x(), place.y(), place.width(), combo_->sizeHint().height());
  SetControlId(combo_, ctl::PortCombo);
  // Enter on a port typed or stepped to in the box is the dialog's OK; a pick
  // in the open list only selects.
  connect(combo_, &PortCombo::entered, this, &PortDialog::accept);

  auto* label = new QLabel(QStringLiteral("COM-Port Auswählen:"), this);
  label->setTextFormat(Qt::PlainText);
  label->setGeometry(units_.ToPixels(10, 10, 70, 8));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  session_.port_choices.Bind(this);
  session_.port_choices.Fill(1);
}

PortDialog::~PortDialog() {
  // The list must not point at a dialog that is gone; the main window binds
  // it again.
  session_.port_choices.Bind(nullptr);
}

void PortDialog::accept() {
  session_.settings.port = session_.port_choices.SelectedPort();
  done(ctl::Ok);
}

void PortDialog::reject() { done(ctl::Cancel); }

void PortDialog::ComboReset() { combo_->Reset(); }
void PortDialog::ComboAdd(std::string_view text, std::string_view detail) {
  combo_->Add(text, detail);
}
void PortDialog::ComboSelect(int index) { combo_->Select(index); }
int PortDialog::ComboSelection() const { return combo_->Selection(); }

}  // namespace tapix
