// The line tap on bytes from the line: the first byte chooses the options,
// the second where the line pauses; the rest comes in on the cash register's
// side. Every byte must go out on the other side unchanged, and the log must
// account for every byte, in order, as messages, cut messages or single lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/tap.h"
#include "app/traffic_log.h"
#include "fake_console.h"
#include "fake_device.h"
#include "e2e/stream_account.h"
#include "fuzz_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const tapix::OptionFlags options = tapix::fuzz::OptionsFromBits(data[0]);
  const std::string stream(reinterpret_cast<const char*>(data + 2), size - 2);

  auto kasse = std::make_unique<tapix::testing::ScriptedDevice>();
  auto isb = std::make_unique<tapix::testing::ScriptedDevice>();
  const std::size_t pause_every = data[1] ? data[1] : 255;
  for (std::size_t at = 0; at < stream.size(); at += pause_every) kasse->Feed(stream.substr(at, pause_every));
  tapix::testing::ScriptedDevice* out = isb.get();
  tapix::testing::CaptureConsole console;
  tapix::Tap tap(std::move(kasse), std::move(isb), true, options, [&console](tapix::TrafficBatch& events) {
    for (const tapix::TrafficEvent& e : events.Events()) tapix::LogTraffic(console, e);
  });

  // Each read is one chunk: a pause of 150 ms before it, longer than the
  // interval, so a message open across chunks is cut.
  auto now = std::chrono::steady_clock::time_point{};
  while (true) {
    now += std::chrono::milliseconds(150);
    tap.Expire(now);
    if (tap.Pump(tapix::Tap::Register, {now, tapix::LogClock::time_point{}}) == 0) break;
  }
  tap.Expire(now + std::chrono::seconds(10));
  if (tap.Deadline()) std::abort();
  if (out->written_ != stream) std::abort();

  // The log without the direction marker that leads every line.
  const std::string marker = tapix::kFromRegister;
  std::string log;
  for (std::size_t at = 0; at < console.log_.size();) {
    if (console.log_.compare(at, marker.size(), marker) != 0) std::abort();
    at += marker.size();
    const std::size_t next = console.log_.find(marker, at);
    const std::size_t end = next == std::string::npos ? console.log_.size() : next;
    log.append(console.log_, at, end - at);
    at = end;
  }
  tapix::fault::LineOptions o;
  o.checksum = options.Checksum;
  o.waiter3 = options.Waiter3;
  o.credit_quantity = options.CreditQuantity;
  o.auto_answer = false;
  if (!tapix::fault::Account(log, stream, "", o).ok) std::abort();
  return 0;
}
