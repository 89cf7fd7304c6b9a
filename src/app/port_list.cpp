#include "app/port_list.h"

#include <cstdio>

#include "serial/port_map.h"
#include "serial/virtual_line.h"

namespace tapix {

namespace {

constexpr std::uint32_t kMaxListed = 32;

// What the operator sees beside an entry: the device, or where the peer of a
// virtual line connects.
std::string Detail(const std::string& path) {
  if (IsVirtualLinePath(path)) return path.substr(kVirtualLinePrefix.size()) + " (virtual line)";
  return path;
}

}  // namespace

void PortList::Bind(Panel* panel) {
  panel_ = panel;
  table_.fill(0);
}

void PortList::Fill(std::uint32_t wanted) { Fill(wanted, PresentPorts()); }

void PortList::Fill(std::uint32_t wanted, const std::set<std::uint32_t>& present) {
  if (panel_ == nullptr) return;
  const auto all = Ports().All();
  // Start from an empty box and table, so that a second fill cannot leave the
  // entries and the table out of step (an entry would open the wrong port).
  panel_->ComboReset();
  table_.fill(0);
  panel_->ComboAdd("", "");
  int selection = -1;
  int count = 0;
  for (std::uint32_t p = 1; p <= kMaxListed; ++p) {
    if (present.count(p) == 0) continue;
    char text[16];
    std::snprintf(text, sizeof text, "COM%u", p);
    auto it = all.find(p);
    panel_->ComboAdd(text, it == all.end() ? std::string() : Detail(it->second));
    if (p == wanted) selection = count + 1;
    table_[static_cast<std::size_t>(count)] = static_cast<std::uint8_t>(p);
    ++count;
  }
  panel_->ComboSelect(selection);
}

std::uint32_t PortList::SelectedPort() const {
  return panel_ == nullptr ? 0 : PortAt(panel_->ComboSelection());
}

std::uint32_t PortList::PortAt(int index) const {
  if (index < 1 || index > static_cast<int>(kMaxListed)) return 0;
  return table_[static_cast<std::size_t>(index - 1)];
}

}  // namespace tapix
