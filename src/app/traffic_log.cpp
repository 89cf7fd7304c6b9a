#include "app/traffic_log.h"

#include <string>

namespace tapix {
namespace {

const char* MarkerOf(Direction direction) {
  switch (direction) {
    case Direction::FromRegister:
      return kFromRegister;
    case Direction::FromDispenser:
      return kFromDispenser;
    default:
      return "";
  }
}

// A line that starts with the direction marker is written in one piece.
void LogLine(Console& console, Direction direction, const std::string& line) {
  const char* marker = MarkerOf(direction);
  console.Log(marker[0] == '\0' ? line : marker + line);
}

void LogWritten(Console& console, const TrafficEvent& event) {
  const std::string_view bytes = event.bytes;
  const std::size_t written = event.written < bytes.size() ? event.written : bytes.size();
  console.Mark(event.when.wall);
  if (written > 0) console.Sent(bytes.substr(0, written), {});
  if (event.what == WriteKind::Answer) {
    // The answer's line stands whether or not the byte went out (the
    // console's trace); the trace of the line itself records only what went.
    if (!bytes.empty()) console.Log(AnswerLine(bytes[0]));
    return;
  }
  for (std::size_t i = 0; i < written; ++i) console.Echo(bytes[i]);
  if (written == bytes.size()) {
    console.Echo('\n');
    return;
  }
  // On a terminal that shows the log too this continues the echo's line and
  // ends it; without one, standard output and the log file get it as a line
  // of its own.
  console.Log(" timeout (" + std::string(bytes) + ")\n");
}

// The marker's text as given, control bytes shown as '?', so that it stays
// one line.
void LogMarker(Console& console, std::string_view text) {
  std::string shown(text);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  console.Log("Marke: " + shown + "\n");
}

}  // namespace

void LogTraffic(Console& console, const TrafficEvent& event) {
  switch (event.kind) {
    case TrafficKind::Received:
      console.Mark(event.frame.first.wall);
      LogLine(console, event.direction, FrameLine(event.frame));
      return;
    case TrafficKind::Unexpected:
      for (char byte : event.bytes) {
        Frame single;
        single.text.assign(1, byte);
        console.Mark(event.when.wall);
        LogLine(console, event.direction, FrameLine(single));
      }
      return;
    case TrafficKind::Written:
      LogWritten(console, event);
      return;
    case TrafficKind::Opened:
      Logf(console, "CreateFile (COM%u) succeeded\n", event.port);
      return;
    case TrafficKind::HungUp:
      Logf(console, "COM%u: Verbindung unterbrochen (Ger\xE4t entfernt oder Gegenstelle beendet)\n",
           event.port);
      return;
    case TrafficKind::Marker:
      console.Mark(event.when.wall);
      LogMarker(console, event.bytes);
      return;
    case TrafficKind::Timeout:
      return;
  }
}

}  // namespace tapix
