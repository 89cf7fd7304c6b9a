// Bytes from the line through the tap into every diagnosis output: the
// explained and hex lines, the answer times, the summary and the trace. The
// first byte chooses the options, the second where the line pauses, the
// third which side each chunk comes in on. Every explained line must be one
// line (a line feed from the line never splits it), every trace line one
// JSON object in valid UTF-8 without a raw control byte, and the trace must
// hold every byte that came in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/answer_times.h"
#include "app/statistics.h"
#include "app/tap.h"
#include "app/trace.h"
#include "app/traffic_log.h"
#include "fake_console.h"
#include "fake_device.h"
#include "fuzz_options.h"

namespace {

// A trace line: "{...}\n", valid UTF-8, no control byte but its line feed.
bool GoodTraceLine(const std::string& line) {
  if (line.size() < 3 || line.front() != '{' || line.compare(line.size() - 2, 2, "}\n") != 0)
    return false;
  for (std::size_t i = 0; i + 1 < line.size();) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c < 0x20 || c == 0x7F) return false;
    const std::size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 0;
    if (n == 0 || i + n >= line.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(line[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const tapix::OptionFlags options = tapix::fuzz::OptionsFromBits(data[0]);
  const std::size_t pause_every = data[1] ? data[1] : 255;
  const std::uint8_t sides = data[2];
  const std::string stream(reinterpret_cast<const char*>(data + 3), size - 3);

  auto kasse = std::make_unique<tapix::testing::ScriptedDevice>();
  auto isb = std::make_unique<tapix::testing::ScriptedDevice>();
  tapix::testing::ScriptedDevice* devices[2] = {kasse.get(), isb.get()};
  tapix::testing::CaptureConsole console;
  tapix::AnswerTimes answers;
  tapix::Statistics statistics(answers);
  tapix::TrafficLogStyle style;
  style.explain = true;
  style.hex = (data[0] >> 6) & 1;
  std::size_t traced = 0;
  tapix::Tap tap(std::move(kasse), std::move(isb), false, options, [&](tapix::TrafficBatch& events) {
    for (const tapix::TrafficEvent& e : events.Events()) {
      tapix::TrafficEvent timed = e;
      answers.Take(timed, options);
      const std::size_t before = console.log_.size();
      tapix::LogTraffic(console, timed, style, options);
      const std::string lines = console.log_.substr(before);
      if (!lines.empty() && lines.find('\n') != lines.size() - 1) std::abort();
      statistics.OnTraffic(timed);
      const std::string trace = tapix::TraceLine(timed, options);
      if (!GoodTraceLine(trace)) std::abort();
      if (timed.kind == tapix::TrafficKind::Received) traced += timed.frame.text.size();
      if (timed.kind == tapix::TrafficKind::Unexpected) traced += timed.bytes.size();
    }
  });

  auto now = std::chrono::steady_clock::time_point{};
  std::size_t chunk = 0;
  for (std::size_t at = 0; at < stream.size(); at += pause_every, ++chunk) {
    const auto side = static_cast<tapix::Tap::Side>((sides >> (chunk % 8)) & 1);
    devices[side]->Feed(stream.substr(at, pause_every));
    now += std::chrono::milliseconds(chunk % 3 == 0 ? 150 : 20);
    tap.Expire(now);
    while (tap.Pump(side, {now, tapix::LogClock::time_point{}}) > 0) {
    }
  }
  tap.Finish();
  if (tap.Deadline()) std::abort();
  if (traced != stream.size()) std::abort();
  const std::string summary = statistics.Summary(true);
  if (summary.rfind("Zusammenfassung:\n", 0) != 0) std::abort();
  return 0;
}
