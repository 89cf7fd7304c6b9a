#include "app/tap_decoder.h"

namespace tapix {

TapDecoder::TapDecoder(Console& console, const OptionFlags& options, std::string marker,
                       ReadTimeouts timeouts)
    : console_(console), options_(options), marker_(std::move(marker)), framer_(timeouts) {}

void TapDecoder::Log(const std::optional<Frame>& frame) {
  if (!frame) return;
  console_.Mark(frame->first.wall);
  console_.Log(marker_ + FrameLine(*frame));
}

void TapDecoder::Expire(std::chrono::steady_clock::time_point now) { Log(framer_.Expire(now)); }

void TapDecoder::Feed(unsigned char byte, const ByteTime& when) {
  const Framer::Findings findings = framer_.Feed(byte, when, options_);
  Log(findings.cut);
  Log(findings.found);
}

}  // namespace tapix
