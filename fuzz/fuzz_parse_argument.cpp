// The command line's port argument: any bytes, never a value outside the grammar.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "serial/port_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tapix::PortSettings settings;
  tapix::SetDefaults(settings);
  tapix::ParseArgument(settings, std::string_view(reinterpret_cast<const char*>(data), size));
  if (!tapix::IsTableBaud(settings.dcb.BaudRate)) std::abort();
  if (settings.dcb.ByteSize < 5 || settings.dcb.ByteSize > 8) std::abort();
  if (settings.dcb.Parity > 4 || settings.dcb.StopBits > 2) std::abort();
  if (settings.port > 999) std::abort();
  if (tapix::FlagWord(settings.dcb) != 0x20A3u) std::abort();
  return 0;
}
