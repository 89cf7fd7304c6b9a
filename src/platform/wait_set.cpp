#include "platform/wait_set.h"

#include <algorithm>

namespace tapix {

void WaitSet::Clear() {
  sources_.clear();
  ready_.clear();
}

void WaitSet::Add(WaitHandle handle, Tag tag) {
  if (handle == kNoWaitHandle) return;
  sources_.push_back({handle, tag, false});
}

bool WaitSet::IsReady(Tag tag) const {
  return std::find(ready_.begin(), ready_.end(), tag) != ready_.end();
}

}  // namespace tapix
