// Bytes from the line: the first two bytes choose the options and where the
// line pauses, the rest is the received stream, read as the loop reads it.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "app/control_ids.h"
#include "app/memory_panel.h"
#include "app/receiver.h"
#include "app/session.h"
#include "serial/port.h"
#include "fake_console.h"
#include "fake_device.h"
#include "fuzz_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t flags = data[0];
  tapix::Session session;
  tapix::SetDefaults(session.settings);
  tapix::ResetOptions(session);
  session.options = tapix::fuzz::OptionsFromBits(flags);
  tapix::testing::NullConsole console;
  session.console = &console;
  tapix::MemoryPanel panel;
  panel.SetFieldText(tapix::ctl::IsbWaiter, "4294967295");
  panel.SetFieldText(tapix::ctl::IsbPlu, "-1");
  panel.SetChecked(tapix::ctl::Checksum, flags & 0x40);
  if (flags & 0x80) session.window = &panel;
  // The line pauses every data[1] bytes (a chunk of the scripted device);
  // writes take at most 1 to 12 bytes, so records are sometimes cut short.
  auto device = std::make_unique<tapix::testing::ScriptedDevice>();
  const std::size_t pause_every = data[1] ? data[1] : 255;
  for (std::size_t at = 2; at < size; at += pause_every) {
    const std::size_t n = std::min(pause_every, size - at);
    device->Feed(std::string(reinterpret_cast<const char*>(data + at), n));
  }
  device->write_limit_ = 1 + data[1] % 12;
  tapix::testing::ScriptedDevice* line = device.get();
  session.port = std::move(device);
  tapix::SetPortTimeouts(session.port.get());
  // Each read is one chunk, after a pause longer than every time-out, so a
  // message open across chunks is cut at its deadline.
  auto now = std::chrono::steady_clock::time_point{};
  char chunk[256];
  while (const std::size_t got = line->ReadWaiting(chunk, sizeof chunk)) {
    session.receiver.Take(session, {chunk, got}, {now, tapix::LogClock::time_point{}});
    now += std::chrono::seconds(10);
    session.receiver.Expire(session, now);
  }
  if (session.receiver.Reading() || session.receiver.Deadline()) std::abort();
  return 0;
}
