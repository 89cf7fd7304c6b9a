// The port selection at start-up, shown when no port number is known: a combo
// box of the present ports with COM1 preselected when present. "OK" takes the
// choice into PortSettings and ends with ctl::Ok (1, as the Win32 dialog's
// IDOK); "Abbrechen", Escape and the close button end with ctl::Cancel (2)
// and change nothing.
#pragma once

#include <QDialog>

#include "app/control_ids.h"
#include "app/front_end.h"
#include "app/panel.h"
#include "app/session.h"
#include "ui/qt/dialog_units.h"

class QPushButton;

namespace tapix {

class PortCombo;

class PortDialog final : public QDialog, public Panel {
  Q_OBJECT

 public:
  explicit PortDialog(Session& session, QWidget* parent = nullptr);
  ~PortDialog() override;

  // Panel: the dialog has only the combo box.
  std::string FieldText(int) const override { return std::string(); }
  void SetFieldText(int, std::string_view) override {}
  bool IsChecked(int) const override { return false; }
  void SetChecked(int, bool) override {}
  void ComboReset() override;
  void ComboAdd(std::string_view text, std::string_view detail) override;
  void ComboSelect(int index) override;
  int ComboSelection() const override;

  // The answer, once the dialog has ended.
  PortChoice Choice() const { return result() == ctl::Ok ? PortChoice::Chosen : PortChoice::Cancelled; }

  PortCombo* combo() const { return combo_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }

  void accept() override;
  void reject() override;

 private:
  Session& session_;
  DialogUnits units_;
  PortCombo* combo_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace tapix
