// Sources a platform test makes ready by hand, one file per platform: what a
// wait watches (a pipe on Linux, an event on Windows), the writing end of an
// input that a ConsoleInput reads, and a stop request as Ctrl+C makes it.
#pragma once

#include <string_view>

#include "platform/wait_handle.h"

namespace tapix::testing {

// A source that is ready while set.
class ReadySource {
 public:
  ReadySource();
  ~ReadySource();
  ReadySource(const ReadySource&) = delete;
  ReadySource& operator=(const ReadySource&) = delete;
  WaitHandle Handle() const { return read_; }
  void Set();
  void Reset();

 private:
  WaitHandle read_ = kNoWaitHandle;
  WaitHandle write_ = kNoWaitHandle;
};

// A pipe: ReadEnd() is what a ConsoleInput reads, Write and Close play the
// one who types (or the file that ends).
class InputPipe {
 public:
  InputPipe();
  ~InputPipe();
  InputPipe(const InputPipe&) = delete;
  InputPipe& operator=(const InputPipe&) = delete;
  WaitHandle ReadEnd() const { return read_; }
  void Write(std::string_view bytes);
  void Close();

 private:
  WaitHandle read_ = kNoWaitHandle;
  WaitHandle write_ = kNoWaitHandle;
};

// A stop request, as Ctrl+C (or SIGTERM) makes it; the handlers are
// installed first.
void RequestStop();

}  // namespace tapix::testing
