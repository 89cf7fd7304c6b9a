// The registry's list of serial devices with arbitrary values: the present
// ports against a reference read with strtol, never a port outside 1..32.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "memory_registry.h"
#include "serial/serial_comm.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  tapix::testing::MemoryRegistry registry;
  std::set<std::uint32_t> expected;
  bool listing = true;  // the reference stops where the reader must stop
  std::size_t start = 0;
  for (std::uint32_t index = 0; start <= input.size(); ++index) {
    std::size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    const std::string value(input.substr(start, end - start));
    start = end + 1;
    registry.Put(tapix::HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SerialComm",
                 "v" + std::to_string(index), tapix::REG_SZ, value);
    if (index >= 33 || value.size() > 260) listing = false;
    if (!listing) continue;
    const std::string text = value.substr(0, value.find('\0'));
    if (text.size() < 4) continue;
    const long n = std::strtol(text.c_str() + 3, nullptr, 10);
    if (n >= 1 && n <= 32) expected.insert(static_cast<std::uint32_t>(n));
  }
  tapix::SetRegistry(&registry);
  std::set<std::uint32_t> present;
  for (const auto& [number, device] : tapix::ReadSerialCommList()) present.insert(number);
  tapix::SetRegistry(nullptr);
  if (present != expected || registry.OpenKeys() != 0) std::abort();
  return 0;
}
