#include "app/trace.h"

#include "app/answer_times.h"
#include "log/log_file.h"
#include "log/text_encoding.h"
#include "protocol/check.h"
#include "protocol/meaning.h"

namespace tapix {
namespace {

const char* DirectionName(Direction direction) {
  switch (direction) {
    case Direction::FromPeer: return "empfangen";
    case Direction::ToPeer: return "gesendet";
    case Direction::FromRegister: return "Kasse>ISB";
    case Direction::FromDispenser: return "ISB>Kasse";
  }
  return "";
}

const char* EventName(TrafficKind kind) {
  switch (kind) {
    case TrafficKind::Received: return "message";
    case TrafficKind::Unexpected: return "unexpected";
    case TrafficKind::Timeout: return "timeout";
    case TrafficKind::Written: return "write";
    case TrafficKind::Opened: return "open";
    case TrafficKind::HungUp: return "hangup";
    case TrafficKind::Returned: return "return";
    case TrafficKind::Marker: return "marker";
  }
  return "";
}

const char* WriteName(WriteKind what) {
  switch (what) {
    case WriteKind::Answer: return "answer";
    case WriteKind::Record: return "record";
    case WriteKind::Request: return "request";
    case WriteKind::Bytes: return "bytes";
  }
  return "";
}

// One line's members, each `"name":value` after a comma.
class Members {
 public:
  void Raw(const char* name, const std::string& value) {
    text_ += text_.empty() ? "{\"" : ",\"";
    text_ += name;
    text_ += "\":";
    text_ += value;
  }
  void Text(const char* name, std::string_view value) { Raw(name, ToJsonString(value)); }
  void Number(const char* name, std::uint64_t value) { Raw(name, std::to_string(value)); }
  std::string Line() { return text_ + "}\n"; }

 private:
  std::string text_;
};

// The check character a message has: verified by the receiver, or for a
// write, as the text stands (none when the kind or the options carry none).
const char* CheckName(const TrafficEvent& event, const MessageSpec& message,
                      const OptionFlags& options, std::string_view text) {
  CheckResult check = CheckResult::None;
  if (event.kind == TrafficKind::Received) {
    check = event.frame.check;
  } else if (options.Checksum && message.check && event.Complete()) {
    char expected = 0;
    check = VerifyCheck(std::string(text).c_str(), &expected) ? CheckResult::Good : CheckResult::Bad;
  }
  switch (check) {
    case CheckResult::Good: return "ok";
    case CheckResult::Bad: return "bad";
    case CheckResult::None: return "none";
  }
  return "none";
}

void AddMessage(Members& members, const TrafficEvent& event, const MessageSpec& message,
                const OptionFlags& options) {
  const std::string_view text = TextOfEvent(event);
  const OptionFlags& read_under = event.kind == TrafficKind::Received ? event.frame.options : options;
  members.Text("kind", message.name);
  members.Text("check", CheckName(event, message, read_under, text));
  if (event.kind == TrafficKind::Received && event.frame.check == CheckResult::Bad)
    members.Text("expected", HexBytes(std::string_view(&event.frame.expected, 1)));
  std::string fields = "{";
  for (const FieldReading& field : ReadFields(message, text, read_under)) {
    if (fields.size() > 1) fields += ",";
    fields += ToJsonString(field.spec->name) + ":";
    fields += field.value ? std::to_string(*field.value) : ToJsonString(field.digits);
  }
  members.Raw("fields", fields + "}");
  if (event.answers) members.Text("answers", event.answers->name);
  if (event.answer_after) {
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.3f", static_cast<double>(event.answer_after->count()) / 1000.0);
    members.Raw("after_ms", ms);
  }
}

}  // namespace

std::string IsoTime(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  const auto micros = floor<microseconds>(when);
  const auto day = floor<days>(micros);
  const year_month_day date{day};
  const hh_mm_ss<microseconds> time{micros - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%06ldZ",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<int>(time.hours().count()),
                static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count()),
                static_cast<long>(time.subseconds().count()));
  return text;
}

std::string TraceLine(const TrafficEvent& event, const OptionFlags& options) {
  Members members;
  members.Text("time", IsoTime(event.when.wall));
  members.Text("event", EventName(event.kind));
  switch (event.kind) {
    case TrafficKind::Opened:
    case TrafficKind::HungUp:
    case TrafficKind::Returned:
      members.Number("port", event.port);
      return members.Line();
    case TrafficKind::Marker:
      members.Text("text", event.bytes);
      return members.Line();
    default:
      break;
  }
  members.Text("dir", DirectionName(event.direction));
  if (event.kind == TrafficKind::Timeout) {
    members.Text("cut", IsoTime(event.cut_at.wall));
    return members.Line();
  }
  const std::string_view text = TextOfEvent(event);
  members.Text("text", text);
  members.Text("hex", HexBytes(text));
  members.Number("count", text.size());
  // Only the tap forwards; bytes it could not pass on say so.
  if (!event.forwarded) members.Raw("forwarded", "false");
  if (event.kind == TrafficKind::Written) {
    members.Text("what", WriteName(event.what));
    members.Raw("complete", event.Complete() ? "true" : "false");
    if (!event.Complete()) members.Text("asked", event.bytes);
  }
  if (event.kind == TrafficKind::Received)
    members.Raw("complete", event.frame.complete ? "true" : "false");
  if (const MessageSpec* message = MessageOfEvent(event)) {
    AddMessage(members, event, *message, options);
  } else if (event.kind == TrafficKind::Unexpected) {
    members.Text("check", "none");
  }
  return members.Line();
}

std::unique_ptr<TraceFile> TraceFile::Open(const std::string& path, std::string* error) {
  std::FILE* file = OpenAppending(path, error);
  if (!file) return nullptr;
  return std::unique_ptr<TraceFile>(new TraceFile(file));
}

TraceFile::~TraceFile() { std::fclose(file_); }

void TraceFile::OnTraffic(const TrafficEvent& event) {
  if (failed_) return;
  const std::string line = TraceLine(event, options_ ? *options_ : OptionFlags());
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0)
    failed_ = true;
}

}  // namespace tapix
