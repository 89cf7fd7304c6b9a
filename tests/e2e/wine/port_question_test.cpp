// tapix.exe under Wine without a port, in the console (--no-window): the port
// question offers the ports Windows lists as present
// (Hardware\DeviceMap\SerialComm, where the Wine environment has put COM5)
// and opens the one chosen. (The dialog's question: window_test.cpp.)
#include <gtest/gtest.h>

#include <regex>

#include "wine_line.h"

namespace tapix::wine {
namespace {

TEST(WinePortQuestion, OffersThePresentPortsAndOpensTheChosenOne) {
  TAPIX_NEED_WINE();
  ForgetSettings();
  ComPort port(5);
  ASSERT_TRUE(port.Mapped());
  TapixProcess tapix(Tapix(), {"--no-window", "0"}, WineEnvironment());
  const std::size_t asked = tapix.WaitFor("COM-Port Ausw\xE4hlen:\n", 0, milliseconds(15000));
  ASSERT_NE(asked, std::string::npos) << tapix.Log();
  const std::size_t listed = tapix.WaitFor("Nummer eingeben", asked);
  ASSERT_NE(listed, std::string::npos) << tapix.Log();
  const std::string list = tapix.Log().substr(asked, listed - asked);
  // With the device behind it, as --list names it.
  EXPECT_TRUE(std::regex_search(list, std::regex("\n  COM5 \\([^)\n]+\\)\n"))) << list;
  EXPECT_EQ(list.find("COM7"), std::string::npos) << "only present ports\n" << list;
  tapix.Command("5");
  EXPECT_NE(tapix.WaitFor("CreateFile (COM5) succeeded\n", listed), std::string::npos) << tapix.Log();
  port.Send("A005");
  EXPECT_EQ(port.Receive(1), "R");
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(milliseconds(15000)), 0);
  ForgetSettings();
}

}  // namespace
}  // namespace tapix::wine
