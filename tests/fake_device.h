// A test double for the serial device: a script of chunks read back, the
// bytes written kept.
#pragma once

#include <cstring>
#include <deque>
#include <string>

#include "serial/serial_device.h"

namespace tapix::testing {

// A device whose input is a script of chunks. A read takes bytes from the
// current chunk only: the end of a chunk stands for a pause on the line longer
// than the interval time-out, so a read that wants more returns short there.
class ScriptedDevice final : public SerialDevice {
 public:
  void Feed(std::string bytes) { chunks_.push_back(std::move(bytes)); }
  std::size_t Read(void* buffer, std::size_t n) override {
    ++reads_;
    while (!chunks_.empty() && chunks_.front().empty()) chunks_.pop_front();
    if (chunks_.empty()) return 0;
    std::string& chunk = chunks_.front();
    const std::size_t take = n < chunk.size() ? n : chunk.size();
    std::memcpy(buffer, chunk.data(), take);
    chunk.erase(0, take);
    if (chunk.empty()) chunks_.pop_front();
    return take;
  }
  // What is waiting: the rest of the current chunk.
  std::size_t ReadWaiting(void* buffer, std::size_t n) override { return Read(buffer, n); }
  std::size_t Write(const void* data, std::size_t n) override {
    const std::size_t take = n < write_limit_ ? n : write_limit_;
    written_.append(static_cast<const char*>(data), take);
    if (on_write_) on_write_(std::string_view(static_cast<const char*>(data), take));
    return take;
  }
  void ClearErrors() override { ++clears_; }
  bool SetState(const DCB& dcb) override {
    if (refuse_state_) return false;
    state_ = dcb;
    return true;
  }
  CommTimeouts GetTimeouts() const override { return timeouts_; }
  void SetTimeouts(const CommTimeouts& t) override { timeouts_ = t; }
  bool HungUp() const override { return hung_up_; }

  bool Drained() const {
    for (const auto& c : chunks_)
      if (!c.empty()) return false;
    return true;
  }
  std::string written_;
  std::size_t write_limit_ = static_cast<std::size_t>(-1);
  std::function<void(std::string_view)> on_write_;  // sees every write as it happens
  int reads_ = 0;
  int clears_ = 0;
  bool refuse_state_ = false;  // SetState refuses every DCB
  bool hung_up_ = false;
  DCB state_{};
  CommTimeouts timeouts_{};

 private:
  std::deque<std::string> chunks_;
};

}  // namespace tapix::testing
