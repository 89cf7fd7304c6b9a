// One wait on many sources at once: descriptors for poll() on Linux, handles
// for WaitForMultipleObjects on Windows. Each source is added with a tag of
// the caller's choice, and a wait reports the tag of every source that is
// ready, not only the first: a source that is always ready cannot hide the
// others.
#pragma once

#include <vector>

#include "platform/wait_handle.h"

namespace tapix {

// A wait without a time-out: it lasts until a source is ready.
inline constexpr int kWaitForever = -1;

class WaitSet {
 public:
  using Tag = int;

  // Forgets every source, before the sources of the next wait are added.
  void Clear();
  // Adds a source; kNoWaitHandle adds nothing. Windows waits on at most 63
  // handles.
  void Add(WaitHandle handle, Tag tag);
  // The thread's window messages as one more source (Windows: the wait is a
  // MsgWaitForMultipleObjectsEx, as the window loop needs). Linux has no
  // window messages of its own: the Qt window's events come through Qt's
  // loop, which watches the same sources with notifiers, so nothing is added.
  void AddWindowMessages(Tag tag);

  // Waits until a source is ready or `timeout_ms` milliseconds have passed
  // (kWaitForever: no time-out). Ready() then holds the tags of every source
  // that is ready, in the order they were added (the window's messages
  // last): none after a time-out, or
  // when a signal broke the wait (Linux; the stop pipe is ready at the next
  // wait). False when the wait itself failed.
  bool Wait(int timeout_ms);
  const std::vector<Tag>& Ready() const { return ready_; }
  bool IsReady(Tag tag) const;

 private:
  struct Source {
    WaitHandle handle;
    Tag tag;
    bool window_messages;
  };
  std::vector<Source> sources_;
  std::vector<Tag> ready_;
};

}  // namespace tapix
