#include "app/transmit.h"

#include <algorithm>
#include <string>

namespace tapix {

namespace {

// The event of a write of `bytes`, before it is made.
TrafficEvent WrittenEvent(std::string_view bytes, WriteKind what) {
  TrafficEvent event;
  event.kind = TrafficKind::Written;
  event.direction = Direction::ToPeer;
  event.what = what;
  event.bytes.assign(bytes);
  return event;
}

}  // namespace

TrafficEvent WriteToLine(SerialDevice* port, std::string_view bytes, WriteKind what) {
  TrafficEvent event = WrittenEvent(bytes, what);
  event.when = ByteTime::Now();
  if (port) event.written = std::min(port->Write(bytes.data(), bytes.size()), bytes.size());
  return event;
}

void Write(LineOut out, std::string_view bytes, WriteKind what) {
  if (!out.hold) {
    out.events.Add(WriteToLine(out.port, bytes, what));
    return;
  }
  out.events.AddHeld(WrittenEvent(bytes, what));
}

void WriteHeld(SerialDevice* port, TrafficBatch& events) {
  const std::vector<TrafficEvent*> held = events.TakeHeld();
  if (held.empty()) return;
  std::string bytes;
  for (const TrafficEvent* event : held) bytes += event->bytes;
  const ByteTime when = ByteTime::Now();
  std::size_t left = port ? std::min(port->Write(bytes.data(), bytes.size()), bytes.size()) : 0;
  for (TrafficEvent* event : held) {
    event->when = when;
    event->written = std::min(left, event->bytes.size());
    left -= event->written;
  }
}

}  // namespace tapix
