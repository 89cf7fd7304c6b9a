#include "protocol/options_replay.h"

#include <algorithm>
#include <bit>

namespace tapix {
namespace {

constexpr std::uint8_t kChecksumBit = 1;
constexpr std::uint8_t kWaiter3Bit = 2;
constexpr std::uint8_t kCreditQuantityBit = 4;

void Count(const Frame& frame, Evidence& evidence) {
  if (!frame.message) {
    ++evidence.unexpected;
  } else if (!frame.complete) {
    ++evidence.timeouts;
  } else if (frame.check == CheckResult::Bad) {
    ++evidence.check_errors;
  } else {
    ++evidence.messages;
    if (!frame.message->Fields().empty()) ++evidence.with_fields;
  }
}

}  // namespace

Combination Combination::Of(const OptionFlags& options) {
  Combination c;
  c.bits_ = static_cast<std::uint8_t>((options.Checksum ? kChecksumBit : 0) |
                                      (options.Waiter3 ? kWaiter3Bit : 0) |
                                      (options.CreditQuantity ? kCreditQuantityBit : 0));
  return c;
}

OptionFlags Combination::Apply(OptionFlags options) const {
  options.Checksum = (bits_ & kChecksumBit) ? 1 : 0;
  options.Waiter3 = (bits_ & kWaiter3Bit) ? 1 : 0;
  options.CreditQuantity = (bits_ & kCreditQuantityBit) ? 1 : 0;
  return options;
}

int Combination::Distance(Combination other) const {
  return std::popcount(static_cast<unsigned>(bits_ ^ other.bits_));
}

std::string Combination::Describe() const {
  const auto state = [this](std::uint8_t bit) { return (bits_ & bit) ? " an" : " aus"; };
  std::string text = "Pr\xFC" "fsumme";
  text += state(kChecksumBit);
  text += ", Kellner 3-stellig";
  text += state(kWaiter3Bit);
  text += ", Kreditst\xFC" "ckzahl";
  text += state(kCreditQuantityBit);
  return text;
}

Evidence& Evidence::operator+=(const Evidence& other) {
  messages += other.messages;
  with_fields += other.with_fields;
  check_errors += other.check_errors;
  timeouts += other.timeouts;
  unexpected += other.unexpected;
  return *this;
}

ByteWindow::ByteWindow(std::size_t capacity) : capacity_(capacity < 64 ? 64 : capacity) {}

void ByteWindow::Add(std::string_view bytes, std::chrono::steady_clock::time_point when) {
  for (const char c : bytes) {
    // A clock that went back is taken as no pause at all.
    const auto at = bytes_.empty() || when > bytes_.back().when ? when : bytes_.back().when;
    bytes_.push_back({at, static_cast<unsigned char>(c)});
    if (bytes_.size() > capacity_) Trim();
  }
}

std::size_t ByteWindow::LongestPause(std::size_t from, std::size_t to, bool latest) const {
  std::chrono::steady_clock::duration longest{};
  std::size_t best = from;
  for (std::size_t i = std::max<std::size_t>(from, 1); i < to; ++i) {
    const auto pause = bytes_[i].when - bytes_[i - 1].when;
    if (pause > longest || (latest && pause == longest && pause.count() > 0)) {
      longest = pause;
      best = i;
    }
  }
  return best;
}

void ByteWindow::Trim() {
  // A quarter at once, so that trimming is rare; then on to the longest pause
  // within one message's length, where a message most likely began.
  const std::size_t cut = capacity_ / 4 + (bytes_.size() - capacity_);
  const std::size_t best = LongestPause(cut, std::min(bytes_.size(), cut + kLongestMessage + 1));
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(best));
}

void ByteWindow::KeepLatest() {
  const std::size_t from = bytes_.size() > kLongestMessage ? bytes_.size() - kLongestMessage : 0;
  // With no pause among them, the oldest of them starts the message.
  const std::size_t best = LongestPause(from, bytes_.size(), true);
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(best));
}

Evidence Replay(const ByteWindow& window, Combination combination,
                std::chrono::steady_clock::time_point now, ReadTimeouts timeouts) {
  const OptionFlags options = combination.Apply(OptionFlags{});
  Framer framer(timeouts);
  Evidence evidence;
  for (const ByteWindow::Byte& byte : window.Bytes()) {
    const Framer::Findings findings = framer.Feed(byte.value, {byte.when, {}}, options);
    if (findings.cut) Count(*findings.cut, evidence);
    if (findings.found) Count(*findings.found, evidence);
  }
  if (const std::optional<Frame> cut = framer.Expire(now)) Count(*cut, evidence);
  return evidence;
}

Survey SurveyWindows(std::span<const ByteWindow* const> windows,
                     std::chrono::steady_clock::time_point now, ReadTimeouts timeouts) {
  Survey survey{};
  for (std::size_t i = 0; i < Combination::kCount; ++i) {
    for (const ByteWindow* window : windows) {
      survey[i] += Replay(*window, Combination::FromIndex(i), now, timeouts);
    }
  }
  return survey;
}

Verdict Judge(const Survey& survey, Combination current, std::size_t least_messages) {
  Verdict verdict;
  std::optional<Combination> closest_clean;
  std::optional<Combination> best;
  bool tied = false;
  for (std::size_t i = 0; i < Combination::kCount; ++i) {
    const Combination candidate = Combination::FromIndex(i);
    const Evidence& evidence = survey[i];
    if (!evidence.Clean()) continue;
    if (!closest_clean || candidate.Distance(current) < closest_clean->Distance(current))
      closest_clean = candidate;
    if (evidence.with_fields < least_messages) continue;
    if (!best || candidate.Distance(current) < best->Distance(current)) {
      best = candidate;
      tied = false;
    } else if (candidate.Distance(current) == best->Distance(current)) {
      if (!tied) verdict.other = candidate;
      tied = true;
    }
  }
  if (best) {
    verdict.best = *best;
    verdict.outcome = tied ? Verdict::Outcome::Tied : Verdict::Outcome::Explained;
  } else if (closest_clean) {
    verdict.best = *closest_clean;
    verdict.outcome = Verdict::Outcome::TooLittle;
  }
  return verdict;
}

std::string HintLine(Combination combination) {
  return "Hinweis: Der Verkehr passt zu " + combination.Describe() + "\n";
}

}  // namespace tapix
