// The Wine environment itself, with a program of known behaviour: a COM port
// mapped to a pty carries every byte value both ways, and Ctrl+C (SIGINT)
// reaches a console program. When this fails, the tests of tapix.exe cannot
// tell anything.
#include <gtest/gtest.h>
#include <signal.h>

#include "wine_line.h"

namespace tapix::wine {
namespace {

TEST(WineEnvironment, AComPortOnAPtyCarriesEveryByteAndCtrlCEndsTheProgram) {
  TAPIX_NEED_WINE();
  ComPort port(7);
  ASSERT_TRUE(port.Mapped());
  TapixProcess echo(ComEcho(), {"7"}, WineEnvironment());
  ASSERT_NE(echo.WaitFor("CreateFile (COM7) succeeded\n", 0, milliseconds(30000)),
            std::string::npos)
      << echo.Log();
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  port.Send(all);
  EXPECT_EQ(port.Receive(all.size()), all);
  ::kill(echo.pid(), SIGINT);
  EXPECT_EQ(echo.Wait(milliseconds(10000)), 0);
  EXPECT_NE(echo.Log().find("closed\n"), std::string::npos) << echo.Log();
}

}  // namespace
}  // namespace tapix::wine
