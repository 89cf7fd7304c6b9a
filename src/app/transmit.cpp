#include "app/transmit.h"

namespace tapix {

TrafficEvent WriteToLine(SerialDevice* port, std::string_view bytes, WriteKind what) {
  TrafficEvent event;
  event.kind = TrafficKind::Written;
  event.direction = Direction::ToPeer;
  event.what = what;
  event.bytes.assign(bytes);
  event.when = ByteTime::Now();
  if (port) event.written = port->Write(bytes.data(), bytes.size());
  if (event.written > bytes.size()) event.written = bytes.size();
  return event;
}

void Write(LineOut out, std::string_view bytes, WriteKind what) {
  out.events.Add(WriteToLine(out.port, bytes, what));
}

}  // namespace tapix
