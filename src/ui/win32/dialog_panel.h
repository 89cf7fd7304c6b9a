// The Panel over a Win32 dialog: fields, boxes and the port combo box read and
// changed through their control IDs, so the protocol code treats the dialog
// like every other front end's window.
#pragma once

// The project's headers come before <windows.h>: it defines DCB, NOPARITY and
// friends as macros and types that serial/dcb.h also names.
#include "app/panel.h"

#include <windows.h>

namespace tapix::win32 {

class DialogPanel : public Panel {
 public:
  explicit DialogPanel(HWND dialog = nullptr) : dialog_(dialog) {}

  HWND Dialog() const { return dialog_; }
  void SetDialog(HWND dialog) { dialog_ = dialog; }

  std::string FieldText(int id) const override;
  void SetFieldText(int id, std::string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  // The entries are the "COMn" texts; on Windows they name the device
  // themselves, so `detail` is not shown.
  void ComboReset() override;
  void ComboAdd(std::string_view text, std::string_view detail) override;
  void ComboSelect(int index) override;
  int ComboSelection() const override;

 private:
  HWND Combo() const;

  HWND dialog_;
};

}  // namespace tapix::win32
