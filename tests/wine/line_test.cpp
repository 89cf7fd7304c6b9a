// tapix.exe under Wine passes the same message cases as the Linux program.
#include <gtest/gtest.h>

#include "line_cases.h"
#include "wine_line.h"

namespace tapix::wine {
namespace {

// tapix.exe on COM11: a name of two digits opens only in its \\.\COMn form.
struct WineLine {
  static const char* Eol() { return WineEol(); }
  ComPort pty{11};
  TapixProcess tapix{Tapix(), {"11,9600,N,8,1"}, WineEnvironment()};
};

}  // namespace
}  // namespace tapix::wine

namespace tapix::e2e {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, LineMessages, ::tapix::wine::WineLine);
}  // namespace tapix::e2e
