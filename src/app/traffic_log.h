// The console's log lines of the traffic: each event as the log has always
// shown it, byte for byte (code page 1252), stamped with the time it
// happened.
#pragma once

#include "app/traffic.h"
#include "log/console.h"

namespace tapix {

// The direction markers that lead the tap's lines.
inline constexpr const char* kFromRegister = "Kasse > ISB: ";
inline constexpr const char* kFromDispenser = "ISB > Kasse: ";

// Writes the lines of `event` to the console:
//   Received    the frame's line (protocol/framer.h: FrameLine), behind the
//               tap's direction marker when tapped
//   Unexpected  one "%c (%02X) unerwartet" line per byte
//   Written     an answer: the trace of the byte that went out and its line
//               ("R"), whether or not it went out; a record, a request or
//               a scenario's bytes:
//               the trace and the echo of what went out, ended by a line feed
//               when all of it went, else by " timeout (TEXT)"
//   Opened      "CreateFile (COMn) succeeded"
//   HungUp      "COMn: Verbindung unterbrochen (...)"
//   Marker      "Marke: TEXT"
//   Timeout: nothing (the cut message's own line says "timeout")
void LogTraffic(Console& console, const TrafficEvent& event);

}  // namespace tapix
