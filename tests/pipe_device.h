// A test double for the serial device that a loop can wait on (Linux): its
// input is fed through a pipe whose read end is the wait handle, and a
// closed feed is a hang-up. Writes are kept.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <string_view>

#include "serial/serial_device.h"

namespace tapix::testing {

class PipeDevice final : public SerialDevice {
 public:
  PipeDevice() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
      read_fd_ = fds[0];
      write_fd_ = fds[1];
    }
  }
  ~PipeDevice() override {
    ::close(read_fd_);
    CloseFeed();
  }
  PipeDevice(const PipeDevice&) = delete;
  PipeDevice& operator=(const PipeDevice&) = delete;

  // What the peer sends.
  bool Feed(const std::string& bytes) {
    return ::write(write_fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // The peer goes away: the device hangs up at the next read.
  void CloseFeed() {
    if (write_fd_ >= 0) ::close(write_fd_);
    write_fd_ = -1;
  }

  std::size_t Read(void* buffer, std::size_t n) override {
    const ssize_t got = ::read(read_fd_, buffer, n);
    if (got == 0) hung_up_ = true;
    return got > 0 ? static_cast<std::size_t>(got) : 0;
  }
  std::size_t ReadWaiting(void* buffer, std::size_t n) override { return Read(buffer, n); }
  std::size_t Write(const void* data, std::size_t n) override {
    written_.append(static_cast<const char*>(data), n);
    if (on_write_) on_write_(std::string_view(static_cast<const char*>(data), n));
    return n;
  }
  void ClearErrors() override {}
  bool SetState(const DCB&) override { return true; }
  CommTimeouts GetTimeouts() const override { return timeouts_; }
  void SetTimeouts(const CommTimeouts& timeouts) override { timeouts_ = timeouts; }
  WaitHandle InputWaitHandle() override { return read_fd_; }
  bool InputWaiting() const override {
    pollfd p{read_fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
  }
  bool HungUp() const override { return hung_up_; }

  std::string written_;
  std::function<void(std::string_view)> on_write_;  // sees every write as it happens

 private:
  CommTimeouts timeouts_{};
  int read_fd_ = -1;
  int write_fd_ = -1;
  bool hung_up_ = false;
};

}  // namespace tapix::testing
