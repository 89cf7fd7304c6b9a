#include "app/wait_set.h"

#include <deque>
#include <mutex>
#include <thread>

#include "platform/console_input.h"
#include "app/requests.h"
#include "platform/signals.h"

#include <windows.h>

namespace tapix {

struct ConsoleLines::Shared {
  std::mutex mutex;
  std::deque<std::string> lines;
  bool ended = false;
  HANDLE event = nullptr;  // manual reset: set while lines or the end wait
};

namespace {

void ReadStandardInput(ConsoleLines::Shared* shared) {
  HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  LineSplitter splitter;
  const LineSink deliver = [shared](std::string_view line) {
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->lines.emplace_back(line);
    ::SetEvent(shared->event);
  };
  char buffer[4096];
  for (;;) {
    DWORD n = 0;
    if (input == nullptr || input == INVALID_HANDLE_VALUE) break;
    const BOOL ok = ::ReadFile(input, buffer, sizeof buffer, &n, nullptr);
    // Ctrl+C in a console ends a pending read without ending the input.
    if (!ok && ::GetLastError() == ERROR_OPERATION_ABORTED) continue;
    if (!ok || n == 0) break;
    splitter.Feed(std::string_view(buffer, n), deliver);
  }
  splitter.Finish(deliver);
  std::lock_guard<std::mutex> lock(shared->mutex);
  shared->ended = true;
  ::SetEvent(shared->event);
}

}  // namespace

ConsoleLines::ConsoleLines() : shared_(new Shared) {
  shared_->event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  event_ = reinterpret_cast<WaitHandle>(shared_->event);
  // The reader blocks in ReadFile for as long as the input stays open; it
  // ends with the process, so it is never joined.
  std::thread(ReadStandardInput, shared_).detach();
}

ConsoleLines& ConsoleLines::Get() {
  static ConsoleLines* lines = new ConsoleLines;  // lives as long as its thread
  return *lines;
}

ConsoleLines::Next ConsoleLines::Take(std::string& line) {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (!shared_->lines.empty()) {
    line = std::move(shared_->lines.front());
    shared_->lines.pop_front();
    if (shared_->lines.empty() && !shared_->ended) ::ResetEvent(shared_->event);
    return Next::Line;
  }
  return shared_->ended ? Next::End : Next::None;
}

WaitSet::WaitSet() {
  stop_ = InstallStopSignals();
  HANDLE timer = ::CreateWaitableTimerA(nullptr, FALSE, nullptr);
  if (timer != nullptr) {
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(kQueryTimerMs) * 10000;  // relative, in 100 ns
    ::SetWaitableTimer(timer, &due, kQueryTimerMs, nullptr, nullptr, FALSE);
  }
  timer_ = timer != nullptr ? reinterpret_cast<WaitHandle>(timer) : kNoWaitHandle;
}

WaitSet::~WaitSet() {
  if (timer_ != kNoWaitHandle) {
    ::CancelWaitableTimer(reinterpret_cast<HANDLE>(timer_));
    ::CloseHandle(reinterpret_cast<HANDLE>(timer_));
  }
}

std::size_t WaitSet::Collect(Session& session, bool with_input,
                             WaitHandle (&handles)[kMaxHandles]) {
  std::size_t count = 0;
  const auto add = [&](WaitHandle handle, Source source) {
    if (handle == kNoWaitHandle || handle == 0) return;
    handles[count] = handle;
    sources_[count] = source;
    ++count;
  };
  add(stop_, Source::Stop);
  if (with_input) add(ConsoleLines::Get().Event(), Source::Lines);
  add(timer_, Source::Timer);
  if (session.port) add(session.port->InputWaitHandle(), Source::Port);
  count_ = count;
  return count;
}

WaitSet::Source WaitSet::Which(std::size_t index) const {
  return index < count_ ? sources_[index] : Source::Other;
}

}  // namespace tapix
