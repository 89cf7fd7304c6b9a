#include "app/traffic.h"

#include <utility>

namespace tapix {

TrafficEvent MarkerEvent(std::string_view text) {
  TrafficEvent event;
  event.kind = TrafficKind::Marker;
  event.when = ByteTime::Now();
  event.bytes.assign(text);
  return event;
}

void TrafficBatch::Add(TrafficEvent event) {
  if (event.kind == TrafficKind::Unexpected && !events_.empty()) {
    TrafficEvent& last = events_.back();
    if (last.kind == TrafficKind::Unexpected && last.direction == event.direction &&
        last.forwarded == event.forwarded) {
      last.bytes += event.bytes;
      return;
    }
  }
  events_.push_back(std::move(event));
}

void TrafficBatch::AddHeld(TrafficEvent event) {
  held_.push_back(events_.size());
  events_.push_back(std::move(event));
}

std::vector<TrafficEvent*> TrafficBatch::TakeHeld() {
  std::vector<TrafficEvent*> held;
  held.reserve(held_.size());
  for (const std::size_t i : held_) held.push_back(&events_[i]);
  held_.clear();
  return held;
}

void TrafficBatch::AddFrame(Direction direction, Frame frame, bool forwarded) {
  TrafficEvent event;
  event.direction = direction;
  event.forwarded = forwarded;
  event.when = frame.first;
  if (frame.message) {
    event.kind = TrafficKind::Received;
    event.frame = std::move(frame);
  } else {
    event.kind = TrafficKind::Unexpected;
    event.bytes = std::move(frame.text);
  }
  Add(std::move(event));
}

void TrafficBatch::AddCut(Direction direction, Frame frame, const ByteTime& now,
                          bool forwarded) {
  TrafficEvent timeout;
  timeout.kind = TrafficKind::Timeout;
  timeout.direction = direction;
  timeout.when = frame.first;
  timeout.cut_at = now;
  Add(std::move(timeout));
  AddFrame(direction, std::move(frame), forwarded);
}

}  // namespace tapix
