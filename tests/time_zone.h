// Tests that format local times run in UTC, whatever the machine's zone.
#pragma once

#include <cstdlib>
#include <ctime>

namespace tapix::testing {

inline void UseUtc() {
#ifdef _WIN32
  ::_putenv_s("TZ", "UTC");
  ::_tzset();
#else
  ::setenv("TZ", "UTC", 1);
  ::tzset();
#endif
}

}  // namespace tapix::testing
