#include "app/tap_decoder.h"

namespace tapix {

TapDecoder::TapDecoder(const OptionFlags& options, Direction direction, ReadTimeouts timeouts)
    : options_(options), direction_(direction), framer_(timeouts) {}

void TapDecoder::Expire(std::chrono::steady_clock::time_point now, TrafficBatch& out) {
  if (std::optional<Frame> cut = framer_.Expire(now))
    out.AddCut(direction_, std::move(*cut), {now, std::chrono::system_clock::now()});
}

void TapDecoder::Feed(std::string_view bytes, const ByteTime& when, TrafficBatch& out) {
  for (const char c : bytes) {
    Framer::Findings findings = framer_.Feed(static_cast<unsigned char>(c), when, options_);
    if (findings.cut) out.AddCut(direction_, std::move(*findings.cut), when);
    if (findings.found) out.AddFrame(direction_, std::move(*findings.found));
  }
}

}  // namespace tapix
