#include "platform/console_input.h"

#include "platform/signals.h"
#include "platform/wait_set.h"

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

ConsoleInput::Next ConsoleInput::Take(std::string& line) {
  if (!held_.empty()) {
    line = std::move(held_.front());
    held_.pop_front();
    return Next::Line;
  }
  if (!ended_) return Next::None;
  open_ = false;
  return Next::End;
}

bool ConsoleInput::ReadAnswer(std::string& line, WaitHandle stop) {
  enum : WaitSet::Tag { kStop, kInput };
  WaitSet waits;
  for (;;) {
    switch (Take(line)) {
      case Next::Line: return true;
      case Next::End: return false;
      case Next::None: break;
    }
    waits.Clear();
    waits.Add(stop, kStop);
    waits.Add(Handle(), kInput);
    if (!waits.Wait(kWaitForever)) return false;
    if (waits.IsReady(kStop) && TakeStopSignal()) return false;
    if (waits.IsReady(kInput)) Gather();
  }
}

}  // namespace tapix
