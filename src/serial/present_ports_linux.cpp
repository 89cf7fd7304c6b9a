// The present ports on Linux: the port map's numbers, and the serial devices
// that sysfs knows.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "serial/port_map.h"
#include "serial/present_ports.h"
#include "serial/present_ports_linux.h"
#include "serial/virtual_line.h"

namespace tapix {

namespace {

namespace fs = std::filesystem;

struct Candidate {
  int rank;            // order of the prefix groups
  std::string prefix;  // name without its trailing number
  unsigned long number;
  std::string name;
};

int PrefixRank(const std::string& prefix) {
  static const char* const kOrder[] = {"ttyS", "ttyAMA", "ttyUSB", "ttyACM", "rfcomm"};
  for (int i = 0; i < 5; ++i)
    if (prefix == kOrder[i]) return i;
  return 5;
}

Candidate Split(const std::string& name) {
  std::size_t digits = name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) --digits;
  Candidate c;
  c.prefix = name.substr(0, digits);
  c.number = digits < name.size() ? std::stoul(name.substr(digits, 9)) : 0;
  c.rank = PrefixRank(c.prefix);
  c.name = name;
  return c;
}

bool Exists(const fs::path& p) {
  std::error_code ec;
  return fs::exists(p, ec);
}

// The 8250 driver lists ports that are not there with type 0 (PORT_UNKNOWN).
bool RealUart(const fs::path& entry) {
  if (!Exists(entry / "device" / "driver")) return false;
  std::ifstream type(entry / "type");
  if (!type) return true;  // drivers without the attribute register real ports only
  long value = 0;
  return (type >> value) && value != 0;
}

bool Present(const fs::path& entry, const Candidate& c) {
  if (c.prefix == "ttyS") return RealUart(entry);
  // rfcomm ports need not be bound to a device yet and are still usable.
  if (c.prefix == "rfcomm") return true;
  return Exists(entry / "device");
}

}  // namespace

std::vector<std::string> ScanSerialDevices(const std::string& class_dir,
                                           const std::string& dev_dir) {
  std::vector<Candidate> found;
  std::error_code ec;
  for (fs::directory_iterator it(class_dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    const Candidate c = Split(name);
    if (Present(it->path(), c)) found.push_back(c);
  }
  std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    if (a.rank != b.rank) return a.rank < b.rank;
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    if (a.number != b.number) return a.number < b.number;
    return a.name < b.name;
  });
  std::vector<std::string> paths;
  paths.reserve(found.size());
  for (const Candidate& c : found) paths.push_back(dev_dir + "/" + c.name);
  return paths;
}

bool DeviceGoneForGood(const std::string& path) {
  const bool pty = path.rfind("/dev/pts/", 0) == 0;
  const bool in_dev = path.rfind("/dev/", 0) == 0;
  if (in_dev && !pty) return false;
  // Followed through links: a link left behind whose pty is gone goes too.
  return !Exists(path);
}

std::string DescribeDevice(const std::string& path, const std::string& sys_class_tty) {
  std::error_code ec;
  // A udev link (/dev/serial/by-id/…) names the same tty as its target.
  const fs::path real = fs::canonical(path, ec);
  const std::string name = (ec ? fs::path(path) : real).filename().string();
  if (name.empty()) return "";
  fs::path dir = fs::canonical(fs::path(sys_class_tty) / name / "device", ec);
  if (ec) return "";
  // The USB device is the nearest folder above the interface with idVendor.
  for (int depth = 0; depth < 6 && !dir.empty() && dir != dir.root_path(); ++depth) {
    if (Exists(dir / "idVendor")) {
      auto read = [&dir](const char* attribute) {
        std::ifstream in(dir / attribute);
        std::string value;
        std::getline(in, value);
        // Printable ASCII only: the values come from the device itself.
        std::string clean;
        for (char c : value) {
          const auto byte = static_cast<unsigned char>(c);
          if (byte >= 0x20) clean.push_back(byte < 0x7F ? c : '?');
        }
        return clean;
      };
      std::string text = read("manufacturer");
      const std::string product = read("product");
      if (!product.empty()) text += (text.empty() ? "" : " ") + product;
      if (text.empty()) text = "USB " + read("idVendor") + ":" + read("idProduct");
      const std::string serial = read("serial");
      if (!serial.empty()) text += ", Seriennummer " + serial;
      return text;
    }
    dir = dir.parent_path();
  }
  return "";
}

bool SameDevice(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::unique_ptr<char, decltype(&std::free)> ra(::realpath(a.c_str(), nullptr), &std::free);
  if (!ra) return false;
  std::unique_ptr<char, decltype(&std::free)> rb(::realpath(b.c_str(), nullptr), &std::free);
  return rb && std::string(ra.get()) == rb.get();
}

std::vector<PresentPort> PresentPorts() {
  std::vector<PresentPort> present;
  for (const auto& [number, path] : ProcessPortMap().All()) {
    PresentPort port{number, path, {}};
    if (IsVirtualLinePath(path)) {
      port.device = path.substr(kVirtualLinePrefix.size());
      port.behind = "virtuelle Leitung";
    } else {
      port.behind = Exists(path) ? DescribeDevice(path) : "nicht angeschlossen";
    }
    present.push_back(std::move(port));
  }
  return present;
}

void RefreshPresentPorts() { ProcessPortMap().SetPresent(ScanSerialDevices()); }

}  // namespace tapix
