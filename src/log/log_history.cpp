#include "log/log_history.h"

namespace tapix {

LogHistory::LogHistory(Console& inner, std::size_t max_lines)
    : inner_(inner), max_lines_(max_lines == 0 ? 1 : max_lines) {}

void LogHistory::Log(std::string_view text) {
  inner_.Log(text);
  Keep(text);
}

void LogHistory::Echo(char byte) {
  inner_.Echo(byte);
  Keep(std::string_view(&byte, 1));
}

void LogHistory::Keep(std::string_view text) {
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string_view::npos;
       end = text.find('\n', start)) {
    open_line_.append(text.substr(start, end + 1 - start));
    lines_.push_back(std::move(open_line_));
    open_line_.clear();
    if (lines_.size() > max_lines_) lines_.pop_front();
    start = end + 1;
  }
  open_line_.append(text.substr(start));
  // A line that never ends (garbage without line feeds) must not grow forever.
  constexpr std::size_t kLongestLine = 1 << 16;
  if (open_line_.size() > kLongestLine) {
    lines_.push_back(std::move(open_line_));
    open_line_.clear();
    if (lines_.size() > max_lines_) lines_.pop_front();
  }
  if (listener_) listener_(text);
}

std::string LogHistory::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line;
  return text + open_line_;
}

void LogHistory::SetListener(std::function<void(std::string_view)> listener) {
  listener_ = std::move(listener);
}

}  // namespace tapix
