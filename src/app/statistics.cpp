#include "app/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tapix {
namespace {

const char* DirectionLabel(int direction) {
  switch (static_cast<Direction>(direction)) {
    case Direction::FromPeer: return "empfangen  ";
    case Direction::ToPeer: return "gesendet   ";
    case Direction::FromRegister: return "Kasse > ISB";
    case Direction::FromDispenser: return "ISB > Kasse";
  }
  return "";
}

// "Kellnerfreigabe (A)", "Datensatz"
std::string KindLabel(int row) {
  const MessageSpec& message = kMessages[static_cast<std::size_t>(row)];
  std::string label = message.name;
  if (message.first != 0) label += std::string(" (") + message.first + ")";
  return label;
}

std::string Millis(std::chrono::microseconds value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(value.count()) / 1000.0);
  return text;
}

int RowOf(const MessageSpec* message) { return static_cast<int>(message - kMessages); }

}  // namespace

namespace {

// Below 100 microseconds a bucket each; above, buckets 1 % wide.
constexpr int kExact = 100;
const double kStep = std::log(1.01);

int BucketOf(std::chrono::microseconds value) {
  const auto us = value.count();
  if (us < kExact) return static_cast<int>(us < 0 ? 0 : us);
  return kExact + static_cast<int>(std::log(static_cast<double>(us) / kExact) / kStep);
}

// The middle of a bucket.
std::chrono::microseconds ValueOf(int bucket) {
  if (bucket < kExact) return std::chrono::microseconds(bucket);
  return std::chrono::microseconds(
      std::llround(kExact * std::exp((bucket - kExact + 0.5) * kStep)));
}

}  // namespace

void TimeSpread::Add(std::chrono::microseconds value) {
  if (count_ == 0 || value < min_) min_ = value;
  if (count_ == 0 || value > max_) max_ = value;
  ++count_;
  ++buckets_[BucketOf(value)];
}

std::chrono::microseconds TimeSpread::Quantile(double q) const {
  if (count_ == 0) return std::chrono::microseconds(0);
  const auto rank = static_cast<std::size_t>(std::ceil(q * static_cast<double>(count_)));
  std::size_t seen = 0;
  for (const auto& [bucket, times] : buckets_) {
    seen += times;
    if (seen >= rank) return std::clamp(ValueOf(bucket), min_, max_);
  }
  return max_;
}

void Statistics::OnTraffic(const TrafficEvent& event) {
  const int direction = static_cast<int>(event.direction);
  // The tap's bytes that found the other side away.
  if (!event.forwarded) {
    if (event.kind == TrafficKind::Received) unforwarded_bytes_ += event.frame.text.size();
    if (event.kind == TrafficKind::Unexpected) unforwarded_bytes_ += event.bytes.size();
  }
  switch (event.kind) {
    case TrafficKind::Timeout:
      ++timeouts_;
      return;
    case TrafficKind::Unexpected:
      unexpected_bytes_ += event.bytes.size();
      return;
    case TrafficKind::Received:
    case TrafficKind::Written:
      break;
    default:
      return;
  }
  const MessageSpec* message = MessageOfEvent(event);
  if (!message) return;
  ++messages_[{direction, RowOf(message)}];
  if (event.kind == TrafficKind::Received && event.frame.check == CheckResult::Bad) ++check_errors_;
  if (event.answers && event.answer_after) {
    // Filed under the request: its kind and the way it went.
    const int request_way = static_cast<int>(OtherWay(event.direction));
    answer_times_[{request_way, RowOf(event.answers)}].Add(*event.answer_after);
  }
}

std::string Statistics::Summary(bool at_end) const {
  std::string text = "Zusammenfassung:\n";
  if (messages_.empty()) text += "  keine Nachrichten\n";
  for (const auto& [key, count] : messages_) {
    text += std::string("  ") + DirectionLabel(key.first) + "  " + KindLabel(key.second) + ": " +
            std::to_string(count) + "\n";
  }
  text += "  Pr\xFC" "fzeichenfehler: " + std::to_string(check_errors_) + "\n";
  text += "  Zeit\xFC" "berschreitungen: " + std::to_string(timeouts_) + "\n";
  text += "  unerwartete Bytes: " + std::to_string(unexpected_bytes_) + "\n";
  if (unforwarded_bytes_ > 0)
    text += "  nicht weitergeleitete Bytes: " + std::to_string(unforwarded_bytes_) + "\n";
  text += "  unbeantwortete Anfragen: " + std::to_string(answers_.Unanswered(at_end)) + "\n";
  if (answer_times_.empty()) return text;
  text += "  Antwortzeiten in ms (min / Median / 95 % / max):\n";
  for (const auto& [key, times] : answer_times_) {
    text += std::string("    ") + DirectionLabel(key.first) + "  " + KindLabel(key.second) + ": " +
            Millis(times.Min()) + " / " + Millis(times.Quantile(0.5)) + " / " +
            Millis(times.Quantile(0.95)) + " / " + Millis(times.Max()) + " (" +
            std::to_string(times.Count()) + (times.Count() == 1 ? " Antwort)\n" : " Antworten)\n");
  }
  return text;
}

}  // namespace tapix
