#include "app/tap_decoder.h"

namespace tapix {

TapDecoder::TapDecoder(const OptionFlags& options, Direction direction, ReadTimeouts timeouts)
    : options_(options), direction_(direction), framer_(timeouts) {}

void TapDecoder::Expire(std::chrono::steady_clock::time_point now, TrafficBatch& out) {
  if (std::optional<Frame> cut = framer_.Expire(now)) {
    out.AddCut(direction_, std::move(*cut), {now, std::chrono::system_clock::now()},
               !open_unforwarded_);
    open_unforwarded_ = false;
  }
}

void TapDecoder::Cut(const ByteTime& now, TrafficBatch& out) {
  if (std::optional<Frame> cut = framer_.Cut()) {
    out.AddCut(direction_, std::move(*cut), now, !open_unforwarded_);
    open_unforwarded_ = false;
  }
}

void TapDecoder::Feed(std::string_view bytes, const ByteTime& when, TrafficBatch& out,
                      std::size_t forwarded) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    Framer::Findings findings = framer_.Feed(static_cast<unsigned char>(bytes[i]), when, options_);
    if (findings.cut) {
      out.AddCut(direction_, std::move(*findings.cut), when, !open_unforwarded_);
      open_unforwarded_ = false;
    }
    // The byte either ends a frame (with the open message's bytes, or alone)
    // or is now part of the open message.
    const bool unforwarded = open_unforwarded_ || i >= forwarded;
    if (findings.found) {
      out.AddFrame(direction_, std::move(*findings.found), !unforwarded);
      open_unforwarded_ = false;
    } else {
      open_unforwarded_ = unforwarded;
    }
  }
}

}  // namespace tapix
