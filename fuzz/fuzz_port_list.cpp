// The Linux port list: a /sys/class/tty folder and the stored port entries,
// both made from the input, one line each:
//   T<flags><name>[|<type>]  a tty entry; flags bit 1: a `device` link,
//                            bit 2: `device/driver`, bit 4: a `type` file
//   S<value name>=<data>     a value of the settings key "Ports"
//   P<path>                  a device path given on the command line
// The devices found are entries with hardware behind them, each once, in
// the order of their kinds and numbers; the port map gives every stored entry
// its number, every device and path one number that leads back to it, no two
// numbers one path, and writes the entries back as it read them.

#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings_io.h"
#include "fuzz_folder.h"
#include "memory_registry.h"
#include "serial/port_map.h"
#include "serial/present_ports_linux.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kKeyName = "Ventrix Test";
constexpr const char* kBasePath = "SOFTWARE\\TRESOL";
const std::string kPortsKey = "SOFTWARE\\TRESOL\\Ventrix Test\\Ports";

int KindRank(const std::string& name) {
  std::size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  const std::string prefix = name.substr(0, digits);
  const char* const order[] = {"ttyS", "ttyAMA", "ttyUSB", "ttyACM", "rfcomm"};
  for (int i = 0; i < 5; ++i)
    if (prefix == order[i]) return i;
  return 5;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& dir = tapix::fuzz::FuzzFolder();
  const std::string class_dir = dir + "/tty";
  std::error_code ec;
  fs::remove_all(class_dir, ec);
  fs::create_directories(class_dir);

  tapix::testing::MemoryRegistry registry;
  std::set<std::string> with_hardware;  // names the list must hold
  std::vector<std::string> typed_paths;
  std::set<std::string> names;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (int lines = 0; !input.empty() && lines < 64; ++lines) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    if (line.size() < 2) continue;
    if (line[0] == 'T' && line.size() >= 3) {
      const unsigned flags = static_cast<unsigned char>(line[1]);
      std::string_view rest = line.substr(2);
      const std::size_t bar = rest.find('|');
      const std::string name(rest.substr(0, bar));
      if (name.empty() || name.size() > 100 || name == "." || name == ".." ||
          name.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
        continue;
      }
      const fs::path entry = fs::path(class_dir) / name;
      if (!fs::create_directory(entry, ec) || ec) continue;
      if (flags & 1) fs::create_directory(entry / "device", ec);
      if ((flags & 3) == 3) fs::create_directory(entry / "device" / "driver", ec);
      long type = 1;
      if (flags & 4) {
        const std::string text(bar == std::string_view::npos ? "" : rest.substr(bar + 1));
        std::ofstream(entry / "type") << text;
        char* stop = nullptr;
        errno = 0;
        type = std::strtol(text.c_str(), &stop, 10);
        if (stop == text.c_str() || errno == ERANGE) type = 0;  // unreadable: no UART
      }
      // ttyS needs a driver and a UART type other than 0; rfcomm nothing;
      // the others a device.
      const int rank = KindRank(name);
      const bool there = name[0] != '.' && (rank == 4   ? true
                                            : rank == 0 ? (flags & 3) == 3 && type != 0
                                                        : (flags & 1) != 0);
      if (there) with_hardware.insert(name);
    } else if (line[0] == 'S') {
      const std::string_view rest = line.substr(1);
      const std::size_t equals = rest.find('=');
      if (equals == std::string_view::npos) continue;
      // Value names ignore case in every store; the registry in memory does
      // not, so a second spelling of one name is left out.
      std::string folded(rest.substr(0, equals));
      for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (!names.insert(folded).second) continue;
      registry.Put(tapix::HKEY_LOCAL_MACHINE, kPortsKey, std::string(rest.substr(0, equals)),
                   tapix::REG_SZ, std::string(rest.substr(equals + 1)) + std::string(1, '\0'));
    } else if (line[0] == 'P') {
      typed_paths.emplace_back(line.substr(1));
    }
  }

  // The devices present: those with hardware, each once, kinds in order and
  // numbers ascending within a kind.
  const std::vector<std::string> devices = tapix::ScanSerialDevices(class_dir, "/dev");
  std::set<std::string> listed;
  int last_rank = -1;
  for (const std::string& device : devices) {
    if (device.rfind("/dev/", 0) != 0) std::abort();
    const std::string name = device.substr(5);
    if (!listed.insert(name).second || with_hardware.count(name) == 0) std::abort();
    const int rank = KindRank(name);
    if (rank < last_rank) std::abort();
    last_rank = rank;
  }
  if (listed != with_hardware) std::abort();

  // The port map over them with the stored entries and the typed paths.
  tapix::SetRegistry(&registry);
  tapix::PortMap map;
  tapix::LoadPortMap(map, kKeyName, kBasePath);
  const auto stored = map.Explicit();
  map.SetPresent(devices);
  for (const std::string& path : typed_paths) {
    const std::uint32_t port = map.NumberFor(path);
    if (port != 0 && !tapix::SameDevice(map.DevicePath(port), path)) std::abort();
  }
  const auto all = map.All();
  for (const auto& [port, path] : stored) {
    if (port < 1 || port > 255 || path.empty()) std::abort();
    if (all.count(port) == 0 || all.at(port) != path) std::abort();
  }
  std::set<std::string> paths;
  for (const auto& [port, path] : all) {
    if (port == 0) std::abort();
    if (!paths.insert(path).second && stored.count(port) == 0) std::abort();
  }
  for (const std::string& device : devices) {
    bool numbered = false;
    for (const auto& [port, path] : all) numbered = numbered || tapix::SameDevice(path, device);
    if (!numbered) std::abort();
  }
  const std::uint32_t free = map.FirstFree();
  if (free == 0 || all.count(free) != 0) std::abort();

  // Written back, the entries read the same.
  map.SetExplicit(free, "/dev/ttyTAPIX");
  if (tapix::SavePortMap(map, kKeyName, kBasePath) != tapix::ERROR_SUCCESS) std::abort();
  tapix::PortMap again;
  tapix::LoadPortMap(again, kKeyName, kBasePath);
  tapix::SetRegistry(nullptr);
  if (again.Explicit() != map.Explicit()) std::abort();
  if (registry.OpenKeys() != 0) std::abort();
  return 0;
}
