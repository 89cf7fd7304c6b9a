// Standard input on Windows: a console, a pipe or a file cannot be waited
// on, so a thread of its own reads the source and hands complete lines over;
// its event (manual reset) is set while lines or the end wait to be gathered.
#include <mutex>
#include <thread>

#include "platform/console_input.h"

#include <windows.h>

namespace tapix {

// Shared with the reader thread, which may outlive the ConsoleInput: it
// blocks in ReadFile for as long as the source stays open and is never
// joined.
struct ConsoleInput::Reader {
  std::mutex mutex;
  std::deque<std::string> lines;
  bool ended = false;
  HANDLE event = nullptr;
  ~Reader() {
    if (event != nullptr) ::CloseHandle(event);
  }
};

namespace {

void ReadAll(std::shared_ptr<ConsoleInput::Reader> reader, HANDLE source) {
  LineSplitter splitter;
  const LineSink deliver = [&reader](std::string_view line) {
    std::lock_guard<std::mutex> lock(reader->mutex);
    reader->lines.emplace_back(line);
    ::SetEvent(reader->event);
  };
  char buffer[4096];
  while (source != nullptr && source != INVALID_HANDLE_VALUE) {
    DWORD n = 0;
    const BOOL ok = ::ReadFile(source, buffer, sizeof buffer, &n, nullptr);
    // Ctrl+C in a console ends a pending read without ending the input.
    if (!ok && ::GetLastError() == ERROR_OPERATION_ABORTED) continue;
    if (!ok || n == 0) break;
    splitter.Feed(std::string_view(buffer, n), deliver);
  }
  splitter.Finish(deliver);
  std::lock_guard<std::mutex> lock(reader->mutex);
  reader->ended = true;
  ::SetEvent(reader->event);
}

}  // namespace

ConsoleInput& ConsoleInput::Standard() {
  static ConsoleInput input(reinterpret_cast<WaitHandle>(::GetStdHandle(STD_INPUT_HANDLE)));
  return input;
}

ConsoleInput::ConsoleInput(WaitHandle source) : reader_(std::make_shared<Reader>()) {
  reader_->event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (reader_->event == nullptr) {
    ended_ = true;
    return;
  }
  handle_ = reinterpret_cast<WaitHandle>(reader_->event);
  std::thread(ReadAll, reader_, reinterpret_cast<HANDLE>(source)).detach();
}

ConsoleInput::~ConsoleInput() = default;

void ConsoleInput::Gather() {
  if (ended_) return;
  std::lock_guard<std::mutex> lock(reader_->mutex);
  for (std::string& line : reader_->lines) held_.push_back(std::move(line));
  reader_->lines.clear();
  if (reader_->ended) {
    ended_ = true;
  } else {
    ::ResetEvent(reader_->event);
  }
}

}  // namespace tapix
