// The wait on Windows: one WaitForMultipleObjects, or, with the window's
// messages among the sources, one MsgWaitForMultipleObjectsEx.
// WaitForMultipleObjects names only the first handle that is set, so after a
// wake every handle is looked at again: a source that keeps firing cannot
// starve those added after it. (An auto-reset object that is looked at is
// taken by the look; it is reported, so nothing is lost.)
#include "platform/wait_set.h"

#include <windows.h>

namespace tapix {

void WaitSet::AddWindowMessages(Tag tag) { sources_.push_back({kNoWaitHandle, tag, true}); }

bool WaitSet::Wait(int timeout_ms) {
  ready_.clear();
  HANDLE handles[MAXIMUM_WAIT_OBJECTS];
  Tag tags[MAXIMUM_WAIT_OBJECTS];
  DWORD count = 0;
  bool window_messages = false;
  Tag window_tag = 0;
  for (const Source& source : sources_) {
    if (source.window_messages) {
      window_messages = true;
      window_tag = source.tag;
    } else if (count < MAXIMUM_WAIT_OBJECTS - 1) {
      handles[count] = reinterpret_cast<HANDLE>(source.handle);
      tags[count] = source.tag;
      ++count;
    }
  }
  const DWORD timeout = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
  DWORD result;
  if (window_messages) {
    // MWMO_INPUTAVAILABLE: messages already in the queue wake it too, not only
    // those that came since the last look.
    result = ::MsgWaitForMultipleObjectsEx(count, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  } else if (count == 0) {
    if (timeout == INFINITE) return false;  // nothing could ever end it
    ::Sleep(timeout);
    return true;
  } else {
    result = ::WaitForMultipleObjects(count, handles, FALSE, timeout);
  }
  if (result == WAIT_FAILED) return false;
  if (result == WAIT_TIMEOUT) return true;
  for (DWORD i = 0; i < count; ++i) {
    if (result == WAIT_OBJECT_0 + i || ::WaitForSingleObject(handles[i], 0) == WAIT_OBJECT_0)
      ready_.push_back(tags[i]);
  }
  if (window_messages &&
      (result == WAIT_OBJECT_0 + count || HIWORD(::GetQueueStatus(QS_ALLINPUT)) != 0)) {
    ready_.push_back(window_tag);
  }
  return true;
}

}  // namespace tapix
