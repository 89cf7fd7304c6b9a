// Repeats a system call that a signal interrupted (EINTR). The stop signals
// are caught with SA_RESTART, but poll() and some ioctls still return EINTR.
#pragma once

#include <cerrno>

namespace tapix {

template <typename Call>
auto RetryEintr(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

}  // namespace tapix
