#include "app/port_choices.h"

#include <algorithm>
#include <cstdio>

namespace tapix {

namespace {
constexpr std::uint32_t kMaxListed = 32;
}  // namespace

void PortChoices::Bind(Panel* panel) {
  panel_ = panel;
  table_.fill(0);
}

void PortChoices::Fill(std::uint32_t wanted) { Fill(wanted, PresentPorts()); }

void PortChoices::Fill(std::uint32_t wanted, const std::vector<PresentPort>& present) {
  if (panel_ == nullptr) return;
  std::vector<const PresentPort*> offered;
  for (const PresentPort& port : present) {
    if (port.number < 1 || port.number > kMaxListed) continue;
    const bool listed = std::any_of(offered.begin(), offered.end(),
                                    [&port](const PresentPort* p) { return p->number == port.number; });
    if (!listed) offered.push_back(&port);
  }
  std::sort(offered.begin(), offered.end(),
            [](const PresentPort* a, const PresentPort* b) { return a->number < b->number; });
  // Start from an empty box and table, so that a second fill cannot leave the
  // entries and the table out of step (an entry would open the wrong port).
  panel_->ComboReset();
  table_.fill(0);
  panel_->ComboAdd("", "");
  int selection = -1;
  int count = 0;
  for (const PresentPort* port : offered) {
    char text[16];
    std::snprintf(text, sizeof text, "COM%u", port->number);
    panel_->ComboAdd(text, PortDetail(*port));
    if (port->number == wanted) selection = count + 1;
    table_[static_cast<std::size_t>(count)] = static_cast<std::uint8_t>(port->number);
    ++count;
  }
  panel_->ComboSelect(selection);
}

std::uint32_t PortChoices::SelectedPort() const {
  return panel_ == nullptr ? 0 : PortAt(panel_->ComboSelection());
}

std::uint32_t PortChoices::PortAt(int index) const {
  if (index < 1 || index > static_cast<int>(kMaxListed)) return 0;
  return table_[static_cast<std::size_t>(index - 1)];
}

}  // namespace tapix
