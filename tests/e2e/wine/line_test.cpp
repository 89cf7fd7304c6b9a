// tapix.exe under Wine passes the same message cases as the Linux program.
#include <gtest/gtest.h>

#include "line_cases.h"
#include "wine_line.h"

namespace tapix::wine {

// tapix.exe on COM10, the first port whose name needs the device-path form
// (the settings tests use COM9 and COM1).
struct WineLine {
  ComPort pty{10};
  TapixProcess tapix{Tapix(), {"10,9600,N,8,1"}, WineEnvironment()};
};

}  // namespace tapix::wine

namespace tapix::e2e {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, LineMessages, ::tapix::wine::WineLine);
}  // namespace tapix::e2e
