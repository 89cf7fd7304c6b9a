#include "log/log_chain.h"

namespace tapix {

std::unique_ptr<LogChain> LogChain::Make(const std::string& log_path, bool timestamps,
                                         TextMode mode, std::string* error) {
  return Make(log_path, timestamps, mode, Extras{}, error);
}

std::unique_ptr<LogChain> LogChain::Make(const std::string& log_path, bool timestamps,
                                         TextMode mode, const Extras& extras, std::string* error) {
  std::unique_ptr<LogChain> chain(new LogChain);
  Console* below = &chain->std_console_;
  if (!log_path.empty()) {
    chain->file_ = LogFileConsole::Open(*below, log_path, error, extras.log_max);
    if (!chain->file_) return nullptr;
    below = chain->file_.get();
  }
  // The file gets what the terminal gets: the same encoding and stamps.
  if (mode == TextMode::Utf8) {
    chain->utf8_ = std::make_unique<Utf8Console>(*below);
    below = chain->utf8_.get();
  }
  chain->history_ = std::make_unique<LogHistory>(*below);
  below = chain->history_.get();
  if (timestamps) {
    chain->stamps_ = std::make_unique<TimestampConsole>(*below, LogClock::now, extras.stamp_form);
    below = chain->stamps_.get();
  }
  chain->top_ = below;
  return chain;
}

}  // namespace tapix
