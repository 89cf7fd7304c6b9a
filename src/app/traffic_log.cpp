#include "app/traffic_log.h"

#include <string>

#include "app/answer_times.h"
#include "log/log_file.h"
#include "protocol/meaning.h"

namespace tapix {
namespace {

// How many bytes of an unexpected run its explained line shows.
constexpr std::size_t kNoiseShown = 16;

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

// A line that starts with the direction marker is written in one piece, the
// mark of what was not forwarded before its line feed.
void LogLine(Console& console, Direction direction, std::string line, bool forwarded) {
  if (!forwarded) line.insert(line.empty() || line.back() != '\n' ? line.size() : line.size() - 1,
                              kNotForwarded);
  const char* marker = MarkerOf(direction);
  console.Log(marker[0] == '\0' ? line : marker + line);
}

// A line without its line feed.
std::string_view Unended(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  return line;
}

// Text with the line feeds and carriage returns that came from the line made
// visible, so that it stays on one line.
std::string OneLine(std::string_view line) {
  std::string out;
  for (const char c : line) {
    if (c == '\n') out += "<0A>";
    else if (c == '\r') out += "<0D>";
    else out.push_back(c);
  }
  return out;
}

// What the style adds to the line of a message: its bytes, its meaning and
// its answer time.
std::string Addition(const TrafficEvent& event, const TrafficLogStyle& style,
                     const OptionFlags& options, bool complete) {
  std::string added;
  const std::string_view text = TextOfEvent(event);
  if (style.hex) added += "  [" + HexBytes(text) + "]";
  const MessageSpec* message = MessageOfEvent(event);
  if (!style.explain || !message) return added;
  const OptionFlags& read_under = event.kind == TrafficKind::Received ? event.frame.options : options;
  added += "  = " + Meaning(*message, text, read_under, complete);
  if (event.answer_after) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(*event.answer_after);
    added += ", nach " + std::to_string(ms.count()) + " ms";
  }
  return added;
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

// A write with what the style adds: the answer's line carries it; a request
// or record is echoed as always and has a line of its own in the log,
// which stands for the log file's line of the write.
void LogWrittenExplained(Console& console, const TrafficEvent& event,
                         const TrafficLogStyle& style, const OptionFlags& options) {
  const std::string_view bytes = event.bytes;
  const std::size_t written = event.written < bytes.size() ? event.written : bytes.size();
  const std::string addition = Addition(event, style, options, written == bytes.size());
  console.Mark(event.when.wall);
  if (event.what == WriteKind::Answer) {
    if (!bytes.empty()) console.Log(OneLine(std::string(Unended(AnswerLine(bytes[0]))) + addition) + "\n");
    return;
  }
  for (std::size_t i = 0; i < written; ++i) console.Echo(bytes[i]);
  if (written == bytes.size()) console.Echo('\n');
  else console.Log(" timeout (" + OneLine(bytes) + ")\n");
  if (written > 0) {
    console.Mark(event.when.wall);
    console.Log(kSentMarker + OneLine(std::string(bytes.substr(0, written)) + addition) + "\n");
  }
}

void LogUnexpected(Console& console, const TrafficEvent& event, const TrafficLogStyle& style) {
  if (!style.explain) {
    for (char byte : event.bytes) {
      Frame single;
      single.text.assign(1, byte);
      console.Mark(event.when.wall);
      LogLine(console, event.direction, FrameLine(single), event.forwarded);
    }
    return;
  }
  const std::string_view run = event.bytes;
  std::string line = run.size() == 1 ? "1 Byte" : std::to_string(run.size()) + " Bytes";
  line += " unerwartet: " + HexBytes(run.substr(0, kNoiseShown));
  if (run.size() > kNoiseShown) line += " ...";
  console.Mark(event.when.wall);
  LogLine(console, event.direction, line + "\n", event.forwarded);
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
  LogTraffic(console, event, TrafficLogStyle{}, OptionFlags());
}

void LogTraffic(Console& console, const TrafficEvent& event, const TrafficLogStyle& style,
                const OptionFlags& options) {
  switch (event.kind) {
    case TrafficKind::Received: {
      console.Mark(event.frame.first.wall);
      const std::string line = FrameLine(event.frame);
      if (style.Plain()) {
        LogLine(console, event.direction, line, event.forwarded);
      } else {
        const std::string addition = Addition(event, style, options, event.frame.complete);
        LogLine(console, event.direction, OneLine(std::string(Unended(line)) + addition) + "\n", event.forwarded);
      }
      return;
    }
    case TrafficKind::Unexpected:
      LogUnexpected(console, event, style);
      return;
    case TrafficKind::Written:
      if (style.Plain()) LogWritten(console, event);
      else LogWrittenExplained(console, event, style, options);
      return;
    case TrafficKind::Opened:
      Logf(console, "CreateFile (COM%u) succeeded\n", event.port);
      return;
    case TrafficKind::HungUp:
      Logf(console, "COM%u: Verbindung unterbrochen (Ger\xE4t entfernt oder Gegenstelle beendet)\n",
           event.port);
      return;
    case TrafficKind::Returned:
      Logf(console, "COM%u: Verbindung wieder hergestellt\n", event.port);
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
