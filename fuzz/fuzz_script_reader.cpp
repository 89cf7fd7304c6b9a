// Scenario files: any bytes read as a scenario; what reads is run up to its
// first wait against a scripted line, as a run would start it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "app/byte_text.h"
#include "app/memory_panel.h"
#include "app/scenario.h"
#include "app/script_reader.h"
#include "app/window_commands.h"
#include "fake_console.h"
#include "fake_device.h"
#include "numbered_ports.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  tapix::Script script;
  script.name = "fuzz.tps";
  if (tapix::ReadScript(text, script)) return 0;
  std::size_t line = 0;
  for (const tapix::Statement& statement : script.statements) {
    // Lines only grow, and what a statement sends reads back as it was.
    if (statement.line <= line) std::abort();
    line = statement.line;
    if (tapix::Unescape(tapix::Readable(statement.bytes), nullptr) != statement.bytes) std::abort();
  }
  tapix::Session session;
  tapix::SetDefaults(session.settings);
  tapix::ResetOptions(session);
  tapix::testing::NullConsole console;
  session.console = &console;
  session.port = std::make_unique<tapix::testing::ScriptedDevice>();
  tapix::MemoryPanel panel;
  session.window = &panel;
  session.port_choices.Bind(&panel);
  session.port_choices.Fill(1, tapix::testing::NumberedPorts({1, 3, 12}));
  tapix::Scenario scenario(std::move(script));
  session.scenario = &scenario;
  scenario.Step(session);
  return 0;
}
