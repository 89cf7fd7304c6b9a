#include "app/memory_panel.h"

namespace tapix {

std::string MemoryPanel::FieldText(int id) const {
  auto it = fields_.find(id);
  return it == fields_.end() ? std::string() : it->second;
}

void MemoryPanel::SetFieldText(int id, std::string_view text) { fields_[id] = std::string(text); }

bool MemoryPanel::IsChecked(int id) const {
  auto it = boxes_.find(id);
  return it != boxes_.end() && it->second;
}

void MemoryPanel::SetChecked(int id, bool checked) { boxes_[id] = checked; }

void MemoryPanel::ComboReset() {
  entries_.clear();
  selection_ = -1;
}

void MemoryPanel::ComboAdd(std::string_view text, std::string_view detail) {
  entries_.push_back({std::string(text), std::string(detail)});
}

void MemoryPanel::ComboSelect(int index) {
  selection_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
}

}  // namespace tapix
