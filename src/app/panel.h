// The window as the protocol sees it: number fields, boxes and the port combo
// box, addressed by control ID. The Qt window and the headless panel both
// implement it, so the protocol code is the same whichever front end runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tapix {

class Panel {
 public:
  virtual ~Panel() = default;

  // Edit fields. Unknown IDs read as "" and ignore writes.
  virtual std::string FieldText(int id) const = 0;
  virtual void SetFieldText(int id, std::string_view text) = 0;

  // Check boxes. Setting a box does not run its command (like CheckDlgButton).
  virtual bool IsChecked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;

  // The port combo box (ID 1101): entries in the order added, never sorted.
  // `detail` is shown to the operator beside or under the entry (the device).
  virtual void ComboReset() = 0;
  virtual void ComboAdd(std::string_view text, std::string_view detail) = 0;
  virtual void ComboSelect(int index) = 0;   // -1: no selection
  virtual int ComboSelection() const = 0;    // -1: no selection
};

// GetDlgItemInt with signed conversion: optional blanks, an optional sign,
// digits, optional trailing blanks. Empty, rejected or out-of-range text is 0.
std::int32_t ReadSignedField(const Panel& panel, int id);

// GetDlgItemInt with unsigned conversion: text that is not an unsigned 32-bit
// number gives 0.
std::uint32_t ReadUnsignedField(const Panel& panel, int id);

}  // namespace tapix
