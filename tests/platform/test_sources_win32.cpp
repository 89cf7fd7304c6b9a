#include "test_sources.h"

#include "platform/signals.h"

#include <windows.h>

namespace tapix::testing {

namespace {

HANDLE AsHandle(WaitHandle handle) { return reinterpret_cast<HANDLE>(handle); }

void CloseIt(WaitHandle& handle) {
  if (handle != kNoWaitHandle) ::CloseHandle(AsHandle(handle));
  handle = kNoWaitHandle;
}

}  // namespace

ReadySource::ReadySource() {
  read_ = reinterpret_cast<WaitHandle>(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
}
ReadySource::~ReadySource() { CloseIt(read_); }
void ReadySource::Set() { ::SetEvent(AsHandle(read_)); }
void ReadySource::Reset() { ::ResetEvent(AsHandle(read_)); }

InputPipe::InputPipe() {
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, nullptr, 0)) return;
  read_ = reinterpret_cast<WaitHandle>(read_end);
  write_ = reinterpret_cast<WaitHandle>(write_end);
}
// The read end belongs to the reader thread of the ConsoleInput, which may
// still be reading: it is left to the process's end.
InputPipe::~InputPipe() { CloseIt(write_); }
void InputPipe::Write(std::string_view bytes) {
  DWORD written = 0;
  ::WriteFile(AsHandle(write_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
void InputPipe::Close() { CloseIt(write_); }

void RequestStop() { ::SetEvent(AsHandle(InstallStopSignals())); }

}  // namespace tapix::testing
