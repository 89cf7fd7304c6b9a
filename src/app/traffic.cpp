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
    if (last.kind == TrafficKind::Unexpected && last.direction == event.direction) {
      last.bytes += event.bytes;
      return;
    }
  }
  events_.push_back(std::move(event));
}

void TrafficBatch::AddFrame(Direction direction, Frame frame) {
  TrafficEvent event;
  event.direction = direction;
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

void TrafficBatch::AddCut(Direction direction, Frame frame, const ByteTime& now) {
  TrafficEvent timeout;
  timeout.kind = TrafficKind::Timeout;
  timeout.direction = direction;
  timeout.when = now;
  Add(std::move(timeout));
  AddFrame(direction, std::move(frame));
}

}  // namespace tapix
