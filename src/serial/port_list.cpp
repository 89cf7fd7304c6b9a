#include "serial/port_list.h"

#include <cctype>
#include <cstdio>

#include "serial/port_map.h"
#include "serial/virtual_line.h"
#include "settings/registry_backend.h"

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

namespace {

// The number after the "COM" of a device name: white space and a sign may
// come first; it ends at the first character that is not a digit. The
// digits count in 64 bits and stop growing past the port range, so a long
// run of digits cannot wrap into it.
std::int64_t NumberAfterCom(std::string_view data) {
  if (data.size() < 4) return 0;
  std::size_t i = 3;
  while (i < data.size() && std::isspace(static_cast<unsigned char>(data[i]))) ++i;
  bool negative = false;
  if (i < data.size() && (data[i] == '-' || data[i] == '+')) negative = data[i++] == '-';
  std::int64_t n = 0;
  for (; i < data.size() && data[i] >= '0' && data[i] <= '9'; ++i) {
    if (n <= kMaxListed) n = n * 10 + (data[i] - '0');
  }
  return negative ? -n : n;
}

}  // namespace

std::set<std::uint32_t> SerialCommPorts() {
  constexpr std::uint32_t kBuffer = 260;
  constexpr std::uint32_t kMaxValues = 33;
  std::set<std::uint32_t> present;
  RegHandle key = 0;
  if (Registry().OpenKey(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SerialComm", KEY_QUERY_VALUE,
                         &key) != ERROR_SUCCESS) {
    return present;
  }
  char name[kBuffer];
  std::uint8_t data[kBuffer];
  for (std::uint32_t index = 0; index < kMaxValues; ++index) {
    std::uint32_t name_size = kBuffer;
    std::uint32_t data_size = kBuffer;
    std::uint32_t type = 0;
    if (Registry().EnumValue(key, index, name, &name_size, &type, data, &data_size) !=
        ERROR_SUCCESS) {
      break;  // the end of the values, or one that does not fit: the list ends
    }
    // The text up to its zero (a REG_SZ brings one).
    std::string_view text(reinterpret_cast<const char*>(data), data_size);
    text = text.substr(0, text.find('\0'));
    const std::int64_t port = NumberAfterCom(text);
    if (port >= 1 && port <= kMaxListed) present.insert(static_cast<std::uint32_t>(port));
  }
  Registry().CloseKey(key);
  return present;
}

}  // namespace tapix
