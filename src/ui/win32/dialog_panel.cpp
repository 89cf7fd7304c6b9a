#include "ui/win32/dialog_panel.h"

#include <string>

#include "app/control_ids.h"

namespace tapix::win32 {

std::string DialogPanel::FieldText(int id) const {
  HWND field = GetDlgItem(dialog_, id);
  if (!field) return {};
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(field)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(field, text.data(), static_cast<int>(text.size()))));
  return text;
}

void DialogPanel::SetFieldText(int id, std::string_view text) {
  SetDlgItemTextA(dialog_, id, std::string(text).c_str());
}

bool DialogPanel::IsChecked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

void DialogPanel::SetChecked(int id, bool checked) {
  CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

HWND DialogPanel::Combo() const { return GetDlgItem(dialog_, ctl::PortCombo); }

void DialogPanel::ComboReset() { SendMessageA(Combo(), CB_RESETCONTENT, 0, 0); }

void DialogPanel::ComboAdd(std::string_view text, std::string_view /*detail*/) {
  const std::string entry(text);
  SendMessageA(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

void DialogPanel::ComboSelect(int index) { SendMessageA(Combo(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int DialogPanel::ComboSelection() const {
  HWND combo = Combo();
  return combo ? static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)) : -1;
}

}  // namespace tapix::win32
