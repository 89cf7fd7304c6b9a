// What the loop waits on: a file descriptor on Linux, a HANDLE on Windows.
#pragma once

#include <cstdint>

namespace tapix {

using WaitHandle = std::intptr_t;

// Nothing to wait on (-1 is neither a descriptor nor a handle that waits).
inline constexpr WaitHandle kNoWaitHandle = -1;

}  // namespace tapix
