// This side's writes to the line, each one event of the traffic.
#pragma once

#include <string_view>

#include "app/traffic.h"
#include "serial/serial_device.h"

namespace tapix {

// Where this side's writes go: the open port (null while none is open), and
// the events of what went out. With `hold` the bytes wait in `events` for
// WriteHeld, which sends the held writes of a batch in one write.
struct LineOut {
  SerialDevice* port;
  TrafficBatch& events;
  bool hold = false;
};

// Writes `bytes` to the port with one write and returns the Written event:
// what was to go out, how much did, when the write began. Without an open
// port nothing goes out, which counts as a short write.
TrafficEvent WriteToLine(SerialDevice* port, std::string_view bytes, WriteKind what);

// The same, with its event added to `out.events`; with `out.hold` the
// event waits there and nothing is written yet.
void Write(LineOut out, std::string_view bytes, WriteKind what);

// Sends the held writes of `events` in one write, in the order they were
// made: the answers to the messages of one read leave together, as they
// would one after the other. Each event then says how many of its bytes went
// out (a short write leaves the first ones whole) and when the write began.
void WriteHeld(SerialDevice* port, TrafficBatch& events);

}  // namespace tapix
