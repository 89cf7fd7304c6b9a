#include "log/timestamps.h"

#include <cstdio>
#include <ctime>

namespace tapix {

std::string FormatStamp(LogClock::time_point when, StampForm form) {
  using namespace std::chrono;
  const auto since = when.time_since_epoch();
  auto secs = duration_cast<seconds>(since);
  auto millis = duration_cast<milliseconds>(since - secs).count();
  if (millis < 0) {  // before 1970: floor, not truncate
    millis += 1000;
    secs -= seconds(1);
  }
  const std::time_t t = static_cast<std::time_t>(secs.count());
  // One thread logs, so the shared result of localtime is safe here.
  const std::tm* local = std::localtime(&t);
  if (!local) return form == StampForm::DateTime ? "[--.--.---- --:--:--.---] " : "[--:--:--.---] ";
  char text[96];
  int n = 0;
  text[n++] = '[';
  if (form == StampForm::DateTime) {
    n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "%02d.%02d.%04d ",
                       local->tm_mday, local->tm_mon + 1, local->tm_year + 1900);
  }
  std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "%02d:%02d:%02d.%03d] ",
                local->tm_hour, local->tm_min, local->tm_sec, static_cast<int>(millis));
  return text;
}

TimestampConsole::TimestampConsole(Console& inner, std::function<LogClock::time_point()> now,
                                   StampForm form)
    : inner_(inner), now_(std::move(now)), form_(form) {}

std::string TimestampConsole::StartLine() {
  const LogClock::time_point when = mark_ ? *mark_ : now_();
  mark_.reset();
  return FormatStamp(when, form_);
}

void TimestampConsole::Log(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 16);
  for (char c : text) {
    if (at_line_start_) out += StartLine();
    out.push_back(c);
    at_line_start_ = c == '\n';
  }
  if (!out.empty()) inner_.Log(out);
}

void TimestampConsole::Echo(char byte) {
  if (at_line_start_) {
    for (char c : StartLine()) inner_.Echo(c);
  }
  inner_.Echo(byte);
  at_line_start_ = byte == '\n';
}

void TimestampConsole::Sent(std::string_view bytes, std::string_view prefix) {
  const std::string stamp = std::string(prefix) + FormatStamp(mark_ ? *mark_ : now_(), form_);
  inner_.Sent(bytes, stamp);
}

}  // namespace tapix
