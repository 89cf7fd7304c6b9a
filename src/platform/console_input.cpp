#include "platform/console_input.h"

namespace tapix {

void LineSplitter::Feed(std::string_view bytes, const LineSink& line) {
  for (const char c : bytes) {
    if (c == '\n') {
      if (!partial_.empty() && partial_.back() == '\r') partial_.pop_back();
      line(partial_);
      partial_.clear();
    } else if (partial_.size() <= kMaxCommandLine) {
      // One byte more than a line may hold marks it as too long for the
      // command reader, which says so; the rest of it is dropped.
      partial_.push_back(c);
    }
  }
}

void LineSplitter::Finish(const LineSink& line) {
  if (!partial_.empty()) line(partial_);
  partial_.clear();
}

}  // namespace tapix
