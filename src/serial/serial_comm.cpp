// The registry's list of serial devices (Windows), read through the registry
// backend so that it can be tested against a registry in memory.
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

#include "serial/serial_comm.h"
#include "settings/registry_backend.h"

namespace tapix {

namespace {

constexpr std::uint32_t kMaxListed = 32;

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

std::map<std::uint32_t, std::string> ReadSerialCommList() {
  constexpr std::uint32_t kBuffer = 260;
  constexpr std::uint32_t kMaxValues = 33;
  std::map<std::uint32_t, std::string> present;
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
    if (port < 1 || port > kMaxListed) continue;
    // The device's name as the system gives it; shown on one line.
    std::string device(name, name_size < kBuffer ? name_size : kBuffer);
    device = device.substr(0, device.find('\0'));
    for (char& c : device) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    present.emplace(static_cast<std::uint32_t>(port), std::move(device));
  }
  Registry().CloseKey(key);
  return present;
}

}  // namespace tapix
