#include "test_sources.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "platform/signals.h"

namespace tapix::testing {

namespace {

void MakePipe(WaitHandle& read_end, WaitHandle& write_end, int flags) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | flags) != 0) return;
  read_end = fds[0];
  write_end = fds[1];
}

void CloseHandle(WaitHandle& fd) {
  if (fd != kNoWaitHandle) ::close(static_cast<int>(fd));
  fd = kNoWaitHandle;
}

}  // namespace

ReadySource::ReadySource() { MakePipe(read_, write_, O_NONBLOCK); }
ReadySource::~ReadySource() {
  CloseHandle(read_);
  CloseHandle(write_);
}
void ReadySource::Set() {
  const char byte = 1;
  [[maybe_unused]] ssize_t n = ::write(static_cast<int>(write_), &byte, 1);
}
void ReadySource::Reset() {
  char buffer[64];
  while (::read(static_cast<int>(read_), buffer, sizeof buffer) > 0) {
  }
}

InputPipe::InputPipe() { MakePipe(read_, write_, 0); }
InputPipe::~InputPipe() {
  CloseHandle(read_);
  CloseHandle(write_);
}
void InputPipe::Write(std::string_view bytes) {
  [[maybe_unused]] ssize_t n = ::write(static_cast<int>(write_), bytes.data(), bytes.size());
}
void InputPipe::Close() { CloseHandle(write_); }

void RequestStop() {
  InstallStopSignals();
  ::raise(SIGTERM);
}

}  // namespace tapix::testing
