// The panel without a window: the same fields, boxes and combo box, held in
// memory. Used whenever no window is shown; the protocol cannot tell.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/panel.h"

namespace tapix {

class MemoryPanel final : public Panel {
 public:
  std::string FieldText(int id) const override;
  void SetFieldText(int id, std::string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  void ComboReset() override;
  void ComboAdd(std::string_view text, std::string_view detail) override;
  void ComboSelect(int index) override;
  int ComboSelection() const override { return selection_; }

  struct Entry {
    std::string text;
    std::string detail;
  };
  const std::vector<Entry>& ComboEntries() const { return entries_; }

 private:
  std::map<int, std::string> fields_;
  std::map<int, bool> boxes_;
  std::vector<Entry> entries_;
  int selection_ = -1;
};

}  // namespace tapix
