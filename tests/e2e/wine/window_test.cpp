// tapix.exe with its window under Wine: a mouse click on "&A" with waiter 5
// puts "A005" on the line; the record answer unticks "sende Daten"; the port
// combo box lists the mapped port; "Beenden" ends the run and saves.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "wine_line.h"

namespace tapix::wine {
namespace {

constexpr const char* kTitle = "Tapix Ventrix Test";

Program Driver() { return {Wine64(), {EnvOr("TAPIX_WINDOW_DRIVER", TAPIX_WINDOW_DRIVER)}}; }

// Runs the window driver with `ops` on the window titled `title` (the main
// window unless said); its answer lines.
std::string Drive(std::vector<std::string> ops, const char* title = kTitle) {
  ops.insert(ops.begin(), title);
  TapixProcess run(Driver(), std::move(ops), WineEnvironment());
  EXPECT_EQ(run.Wait(milliseconds(30000)), 0) << run.Log();
  return run.Log();
}

// A real mouse click at the centre of control `id` (screen coordinates from
// the driver; without a window manager Wine's screen is the X root).
bool ClickWithMouse(int id) {
  std::istringstream where(Drive({"where:" + std::to_string(id)}));
  int x = -1, y = -1;
  where >> x >> y;
  if (x < 0 || y < 0) return false;
  char command[128];
  std::snprintf(command, sizeof command, "xdotool mousemove %d %d click 1", x, y);
  return std::system(command) == 0;
}

TEST(WineWindow, AClickOnAWithWaiter5PutsA005OnTheLine) {
  TAPIX_NEED_WINE();
  ComPort port(11);
  ASSERT_TRUE(port.Mapped());
  TapixProcess tapix(Tapix(), {"11,9600,N,8,1"}, WineEnvironment());
  ASSERT_NE(tapix.WaitFor("CreateFile (COM11) succeeded\n", 0, milliseconds(15000)),
            std::string::npos)
      << tapix.Log();

  Drive({"set:1008=5"});
  ASSERT_TRUE(ClickWithMouse(1006)) << "xdotool is needed (scripts/setup installs it)";
  EXPECT_EQ(port.Receive(4), "A005");

  // "sende Daten" ticked, a query comes: the record goes out from the ISB
  // fields and the box is unticked again.
  Drive({"set:1039=7", "set:1040=42", "set:1041=3", "click:1043"});
  EXPECT_EQ(Drive({"checked:1043"}), "1\n");
  port.Send("E");
  EXPECT_FALSE(port.Receive(9).empty()) << "the record";
  EXPECT_EQ(Drive({"checked:1043"}), "0\n");

  // The port list: the empty entry and at least the mapped port.
  std::istringstream count(Drive({"count:1101"}));
  int entries = 0;
  count >> entries;
  EXPECT_GE(entries, 1);

  Drive({"click:1"});  // "Beenden"
  EXPECT_EQ(tapix.Wait(milliseconds(15000)), 0) << tapix.Log();
}

TEST(WineWindow, ThePortDialogOffersThePresentPortsOkOpensCancelEndsTheRun) {
  TAPIX_NEED_WINE();
  ForgetSettings();
  ComPort port(5);  // the environment lists COM5 as present
  ASSERT_TRUE(port.Mapped());
  {
    TapixProcess tapix(Tapix(), {"0"}, WineEnvironment());
    std::istringstream count(Drive({"count:1101"}, "Schnittstelle"));
    int entries = 0;
    count >> entries;
    EXPECT_GE(entries, 2) << "the empty entry and COM5 at least";
    // Cancel: the run ends for want of a port, nothing opened or saved.
    Drive({"post:2"}, "Schnittstelle");
    EXPECT_EQ(tapix.Wait(milliseconds(15000)), 1) << tapix.Log();
    EXPECT_EQ(tapix.Log().find("CreateFile"), std::string::npos) << tapix.Log();
    EXPECT_EQ(StoredSettings().find("Port"), std::string::npos);
  }
  {
    TapixProcess tapix(Tapix(), {"0"}, WineEnvironment());
    // The entry of COM5: the driver's list is in port order after the empty one.
    std::string found;
    for (int index = 1; index < 33 && found.empty(); ++index) {
      Drive({"select:1101=" + std::to_string(index)}, "Schnittstelle");
      if (Drive({"text:1101"}, "Schnittstelle") == "COM5\n") found = std::to_string(index);
    }
    ASSERT_FALSE(found.empty()) << "COM5 is not offered";
    Drive({"post:1"}, "Schnittstelle");
    EXPECT_NE(tapix.WaitFor("CreateFile (COM5) succeeded\n", 0, milliseconds(15000)),
              std::string::npos)
        << tapix.Log();
    port.Send("A005");
    EXPECT_EQ(port.Receive(1), "R");
    Drive({"click:1"});  // "Beenden" in the main window
    EXPECT_EQ(tapix.Wait(milliseconds(15000)), 0) << tapix.Log();
  }
  ForgetSettings();
}

}  // namespace
}  // namespace tapix::wine
