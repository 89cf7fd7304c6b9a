// This side's writes to the line, each one event of the traffic.
#pragma once

#include <string_view>

#include "app/traffic.h"
#include "serial/serial_device.h"

namespace tapix {

// Where this side's writes go: the open port (null while none is open), and
// the events of what went out.
struct LineOut {
  SerialDevice* port;
  TrafficBatch& events;
};

// Writes `bytes` to the port with one write and returns the Written event:
// what was to go out, how much did, when the write began. Without an open
// port nothing goes out, which counts as a short write.
TrafficEvent WriteToLine(SerialDevice* port, std::string_view bytes, WriteKind what);

// The same, with its event added to `out.events`.
void Write(LineOut out, std::string_view bytes, WriteKind what);

}  // namespace tapix
