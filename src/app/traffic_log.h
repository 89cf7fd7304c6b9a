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
// Ends the line of a tapped message that did not go out whole on the other
// side; forwarded messages keep their line as it is.
inline constexpr const char* kNotForwarded = " (nicht weitergeleitet)";

// Writes the lines of `event` to the console:
//   Received    the frame's line (protocol/framer.h: FrameLine), behind the
//               tap's direction marker when tapped, and kNotForwarded before
//               its line feed when not forwarded
//   Unexpected  one "%c (%02X) unerwartet" line per byte (marked as Received)
//   Written     an answer: the trace of the byte that went out and its line
//               ("R"), whether or not it went out; a record, a request or
//               a scenario's bytes:
//               the trace and the echo of what went out, ended by a line feed
//               when all of it went, else by " timeout (TEXT)"
//   Opened      "CreateFile (COMn) succeeded"
//   HungUp      "COMn: Verbindung unterbrochen (...)"
//   Returned    "COMn: Verbindung wieder hergestellt"
//   Marker      "Marke: TEXT"
//   Timeout: nothing (the cut message's own line says "timeout")
void LogTraffic(Console& console, const TrafficEvent& event);

// What the options add to the lines above (--explain, --hex).
struct TrafficLogStyle {
  // A message's line gets its meaning ("  = Kellnerfreigabe: Kellner 5"),
  // an answer how long after its request it came (", nach 14 ms"); a line
  // feed or carriage return from the line shows as "<0A>", "<0D>", so a
  // line is never split; a run of unexpected bytes is one line ("Kasse >
  // ISB: 3 Bytes unerwartet: 0A FF 00"); a request or record this side
  // wrote is a line of its own ("gesendet: A005  = ..."), which the log file
  // then has instead of its own line of the write.
  bool explain = false;
  // A message's line gets its bytes in hex ("  [41 30 30 35]"), the check
  // character included; so does the line of a write.
  bool hex = false;

  bool Plain() const { return !explain && !hex; }
};

// The same, with what `style` adds; `options` are those a written message
// was made under (its fields' widths).
void LogTraffic(Console& console, const TrafficEvent& event, const TrafficLogStyle& style,
                const OptionFlags& options);

}  // namespace tapix
