// The framer on bytes from the line with their pauses: the first byte
// chooses the options (fuzz_options.h); then each pair is a pause (low 7 bits, in ms; the high
// bit turns the Checksum option over before the byte) and a byte. Every byte
// must come out in exactly one frame, in order; a whole message has the
// length its first character and the options at that moment give, a cut one
// is shorter; every frame has a log line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "protocol/framer.h"
#include "fuzz_options.h"

namespace {

void Check(const tapix::Frame& frame, const std::string& stream, std::size_t& at,
           const std::vector<tapix::OptionFlags>& options_at) {
  if (frame.text.empty() || stream.compare(at, frame.text.size(), frame.text) != 0) std::abort();
  const tapix::OptionFlags& o = options_at[at];
  at += frame.text.size();
  const std::string line = tapix::FrameLine(frame);
  if (line.size() < frame.text.size() + 1 || line.back() != '\n') std::abort();
  if (!frame.message || frame.message->Fields().empty()) {
    if (frame.text.size() != 1 || !frame.complete) std::abort();
    return;
  }
  const std::size_t whole = 1 + tapix::RestLength(*frame.message, o, o.Checksum != 0);
  if (frame.complete ? frame.text.size() != whole : frame.text.size() >= whole) std::abort();
  if (!frame.complete && frame.check != tapix::CheckResult::None) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  tapix::OptionFlags options = tapix::fuzz::OptionsFromBits(data[0]);
  tapix::Framer framer;
  std::string stream;
  std::vector<tapix::OptionFlags> options_at;
  std::vector<tapix::Frame> frames;
  auto now = std::chrono::steady_clock::time_point{};
  for (std::size_t i = 1; i + 1 < size; i += 2) {
    now += std::chrono::milliseconds(data[i] & 0x7F);
    if (data[i] & 0x80) options.Checksum ^= 1;
    stream.push_back(static_cast<char>(data[i + 1]));
    options_at.push_back(options);
    auto found = framer.Feed(data[i + 1], {now, {}}, options);
    if (found.cut) frames.push_back(std::move(*found.cut));
    if (found.found) frames.push_back(std::move(*found.found));
    if (const auto deadline = framer.Deadline(); deadline && *deadline < now) std::abort();
  }
  if (auto last = framer.Expire(now + std::chrono::seconds(10))) frames.push_back(std::move(*last));
  if (framer.Deadline() || framer.Missing() != 0) std::abort();
  std::size_t at = 0;
  for (const tapix::Frame& frame : frames) Check(frame, stream, at, options_at);
  if (at != stream.size()) std::abort();
  return 0;
}
