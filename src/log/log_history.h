// The log as a window shows it: every piece of log text and every echoed
// byte goes on to the console as before and is kept as the last lines, so a
// window opened later shows what came before it (the failed open included)
// and then follows along.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "log/console.h"

namespace tapix {

class LogHistory final : public Console {
 public:
  explicit LogHistory(Console& inner, std::size_t max_lines = 1000);

  void Log(std::string_view text) override;
  void Echo(char byte) override;
  void Sent(std::string_view bytes, std::string_view prefix) override { inner_.Sent(bytes, prefix); }
  void Mark(LogClock::time_point when) override { inner_.Mark(when); }
  void BeginBatch() override { inner_.BeginBatch(); }
  void EndBatch() override { inner_.EndBatch(); }

  // The last lines kept (at most max_lines complete ones, then the line begun).
  std::string Text() const;

  // Called with every piece logged or echoed from now on; empty: nobody.
  void SetListener(std::function<void(std::string_view)> listener);

  std::size_t MaxLines() const { return max_lines_; }

 private:
  void Keep(std::string_view text);

  Console& inner_;
  std::size_t max_lines_;
  std::deque<std::string> lines_;  // complete, each with its line feed
  std::string open_line_;
  std::function<void(std::string_view)> listener_;
};

}  // namespace tapix
