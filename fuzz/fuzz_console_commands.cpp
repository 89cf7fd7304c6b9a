// Console command lines: any bytes, one line at a time, against the panel.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/console_commands.h"
#include "platform/console_input.h"
#include "app/memory_panel.h"
#include "app/window_commands.h"
#include "fake_console.h"
#include "fake_device.h"
#include "numbered_ports.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tapix::Session session;
  tapix::SetDefaults(session.settings);
  tapix::ResetOptions(session);
  tapix::testing::NullConsole console;
  session.console = &console;
  tapix::MemoryPanel panel;
  session.window = &panel;
  session.port_choices.Bind(&panel);
  session.port_choices.Fill(1, tapix::testing::NumberedPorts({1, 3, 12}));
  std::string_view text(reinterpret_cast<const char*>(data), size);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    tapix::ExecuteCommandLine(session, text.substr(0, end));
    session.pending.SendPending = 0;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return 0;
}
