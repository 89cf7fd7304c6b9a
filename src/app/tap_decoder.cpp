#include "app/tap_decoder.h"

#include "protocol/catalogue.h"
#include "app/receiver.h"

namespace tapix {

TapDecoder::TapDecoder(Console& console, const OptionFlags& options, std::string marker,
                       std::chrono::milliseconds interval, std::chrono::milliseconds per_char)
    : console_(console),
      options_(options),
      marker_(std::move(marker)),
      interval_(interval),
      per_char_(per_char) {}

void TapDecoder::Log(const std::string& line, LogClock::time_point when) {
  console_.Mark(when);
  console_.Log(marker_ + line);
}

void TapDecoder::Finish(bool complete) {
  Log(MessageLine(text_, complete, checksum_), first_wall_);
  text_.clear();
  wanted_ = 0;
}

std::optional<std::chrono::steady_clock::time_point> TapDecoder::Deadline() const {
  if (text_.empty()) return std::nullopt;
  const auto gap = last_byte_ + interval_;
  return gap < total_deadline_ ? gap : total_deadline_;
}

void TapDecoder::Expire(std::chrono::steady_clock::time_point now) {
  const auto deadline = Deadline();
  if (deadline && now > *deadline) Finish(false);
}

void TapDecoder::Feed(unsigned char byte, const ByteTime& when) {
  Expire(when.steady);
  if (!text_.empty()) {
    text_.push_back(static_cast<char>(byte));
    last_byte_ = when.steady;
    if (text_.size() == wanted_) Finish(true);
    return;
  }
  switch (Classify(byte)) {
    case FirstKind::Record:
    case FirstKind::Fields: {
      checksum_ = options_.Checksum != 0;
      const std::size_t rest = FollowCount(byte, options_) + (checksum_ ? 1 : 0);
      text_.push_back(static_cast<char>(byte));
      wanted_ = 1 + rest;
      first_wall_ = when.wall;
      last_byte_ = when.steady;
      total_deadline_ = when.steady + per_char_ * static_cast<int>(rest);
      return;
    }
    default:
      Log(FirstCharacterLine(byte), when.wall);
      return;
  }
}

}  // namespace tapix
