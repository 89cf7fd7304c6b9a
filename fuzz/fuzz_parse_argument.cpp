// The command line's port argument: any bytes, never a value outside the
// grammar; the note on what was taken stays one short line without control bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "serial/port_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tapix::PortSettings settings;
  tapix::SetDefaults(settings);
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tapix::ArgumentTrace trace;
  tapix::ParseArgument(settings, text, &trace);
  if (trace.read > size) std::abort();
  const std::string note = tapix::DescribeArgument(text, settings, trace);
  if (note.size() > 400) std::abort();
  for (std::size_t i = 0; i < note.size(); ++i) {
    const auto byte = static_cast<unsigned char>(note[i]);
    if ((byte < 0x20 && !(byte == '\n' && i + 1 == note.size())) || byte > 0x7E) std::abort();
  }
  if (!tapix::IsTableBaud(settings.dcb.BaudRate)) std::abort();
  if (settings.dcb.ByteSize < 5 || settings.dcb.ByteSize > 8) std::abort();
  if (settings.dcb.Parity > 4 || settings.dcb.StopBits > 2) std::abort();
  if (settings.port > 999) std::abort();
  if (tapix::FlagWord(settings.dcb) != 0x20A3u) std::abort();
  return 0;
}
