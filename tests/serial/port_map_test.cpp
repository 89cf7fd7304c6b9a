#include "serial/port_map.h"
#include "serial/present_ports_linux.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace tapix {
namespace {

namespace fs = std::filesystem;

TEST(PortMap, PresentDevicesFillTheNumbersExplicitEntriesLeaveFree) {
  PortMap map;
  map.SetPresent({"/dev/ttyS0", "/dev/ttyUSB0", "/dev/ttyUSB1"});
  map.SetExplicit(2, "/dev/ttyACM0");
  const auto all = map.All();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all.at(1), "/dev/ttyS0");
  EXPECT_EQ(all.at(2), "/dev/ttyACM0");
  EXPECT_EQ(all.at(3), "/dev/ttyUSB0");
  EXPECT_EQ(all.at(4), "/dev/ttyUSB1");
  EXPECT_EQ(map.DevicePath(2), "/dev/ttyACM0");
  EXPECT_EQ(map.DevicePath(5), "");
  EXPECT_EQ(map.DevicePath(0), "");
}

TEST(PortMap, DeviceNamedExplicitlyKeepsOnlyThatNumber) {
  PortMap map;
  map.SetPresent({"/dev/ttyS0", "/dev/ttyUSB0"});
  map.SetExplicit(7, "/dev/ttyUSB0");
  const auto all = map.All();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all.at(1), "/dev/ttyS0");
  EXPECT_EQ(all.at(7), "/dev/ttyUSB0");
}

TEST(PortMap, NumberForKnownAndNewPaths) {
  PortMap map;
  map.SetPresent({"/dev/ttyS0", "/dev/ttyUSB0"});
  EXPECT_EQ(map.NumberFor("/dev/ttyUSB0"), 2u);
  EXPECT_FALSE(map.Dirty());
  // A new path takes the first number nothing uses, for this run only.
  EXPECT_EQ(map.NumberFor("/dev/ttyACM3"), 3u);
  EXPECT_EQ(map.DevicePath(3), "/dev/ttyACM3");
  EXPECT_EQ(map.NumberFor("/dev/ttyACM3"), 3u);
  EXPECT_FALSE(map.Dirty()) << "a path that never opened is not stored";
  EXPECT_TRUE(map.Explicit().empty());
  // Once it opened, it is pinned.
  map.Confirm(3);
  EXPECT_TRUE(map.Dirty());
  EXPECT_EQ(map.Explicit().at(3), "/dev/ttyACM3");
  EXPECT_EQ(map.DevicePath(3), "/dev/ttyACM3");
  map.ClearDirty();
  map.SetExplicit(3, "/dev/ttyACM3");  // no change, nothing to store
  EXPECT_FALSE(map.Dirty());
  map.RemoveExplicit(3);
  EXPECT_TRUE(map.Dirty());
}

TEST(PortMap, MistypedPathLeavesNothingBehindAndConfirmTouchesOnlyItsOwn) {
  PortMap map;
  map.SetPresent({"/dev/ttyS0"});
  const std::uint32_t typo = map.NumberFor("/dev/ttyUSB9");
  EXPECT_EQ(typo, 2u);
  map.RemoveRunEntry(typo);  // gone with the run
  map.Confirm(typo);         // a later Confirm has nothing to pin
  EXPECT_TRUE(map.Explicit().empty());
  EXPECT_FALSE(map.Dirty());
  map.SetRunEntry(1, "virtual:/dev/pts/4");
  map.Confirm(1);  // the virtual line is never pinned
  EXPECT_TRUE(map.Explicit().empty());
  // A virtual line registered over a numbered path takes it over for good.
  const std::uint32_t again = map.NumberFor("/dev/ttyUSB9");
  map.SetRunEntry(again, "virtual:/dev/pts/5");
  map.Confirm(again);
  EXPECT_TRUE(map.Explicit().empty());
}

TEST(PortMap, FirstFreeSkipsEntriesPresentDevicesAndTheAvoidedNumber) {
  PortMap map;
  map.SetPresent({"/dev/ttyS0", "/dev/ttyUSB0"});
  map.SetExplicit(3, "/dev/ttyACM0");
  EXPECT_EQ(map.FirstFree(), 4u);
  EXPECT_EQ(map.FirstFree(4), 5u);
  map.SetRunEntry(4, "virtual:/dev/pts/1");
  EXPECT_EQ(map.FirstFree(), 5u);
}

TEST(PortMap, VanishedPtysAndLinksAreForgottenUnpluggedDevicesKept) {
  char tmpl[] = "/tmp/tapix-map-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  std::ofstream(dir / "still-here").put('x');
  fs::create_symlink(dir / "no-such-target", dir / "dangling");
  PortMap map;
  map.SetExplicit(1, "/dev/serial/by-id/usb-unplugged-now");
  map.SetExplicit(2, "/dev/ttyUSB7");
  map.SetExplicit(3, "/dev/pts/987654");
  map.SetExplicit(4, (dir / "isb").string());  // a virtual line's link, removed
  map.SetExplicit(5, (dir / "still-here").string());
  map.SetExplicit(6, (dir / "dangling").string());
  map.ClearDirty();
  map.ForgetVanished();
  EXPECT_TRUE(map.Dirty());
  std::map<std::uint32_t, std::string> kept = {{1, "/dev/serial/by-id/usb-unplugged-now"},
                                               {2, "/dev/ttyUSB7"},
                                               {5, (dir / "still-here").string()}};
  EXPECT_EQ(map.Explicit(), kept);
  map.ClearDirty();
  map.ForgetVanished();
  EXPECT_FALSE(map.Dirty()) << "nothing more to forget";
  fs::remove_all(dir);
}

TEST(PortMap, LinkAndItsTargetAreOneDevice) {
  char tmpl[] = "/tmp/tapix-map-XXXXXX";
  ASSERT_NE(::mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  std::ofstream(dir / "ttyUSB0").put('x');
  fs::create_symlink(dir / "ttyUSB0", dir / "by-id");
  PortMap map;
  map.SetPresent({(dir / "ttyUSB0").string()});
  map.SetExplicit(4, (dir / "by-id").string());
  EXPECT_EQ(map.All().size(), 1u);
  EXPECT_EQ(map.NumberFor((dir / "ttyUSB0").string()), 4u);
  fs::remove_all(dir);
}

TEST(PortMap, RunEntriesWinAndAreNeverStored) {
  PortMap map;
  map.SetPresent({"/dev/ttyS0"});
  map.SetExplicit(2, "/dev/ttyUSB0");
  map.ClearDirty();
  map.SetRunEntry(1, "virtual:/dev/pts/9");
  map.SetRunEntry(2, "virtual:/dev/pts/8");
  EXPECT_FALSE(map.Dirty());
  EXPECT_EQ(map.Explicit().size(), 1u);
  EXPECT_EQ(map.DevicePath(1), "virtual:/dev/pts/9");
  EXPECT_EQ(map.DevicePath(2), "virtual:/dev/pts/8");
  EXPECT_EQ(map.DevicePath(3), "/dev/ttyS0");
  map.RemoveRunEntry(1);
  map.RemoveRunEntry(2);
  EXPECT_EQ(map.DevicePath(1), "/dev/ttyS0");
  EXPECT_EQ(map.DevicePath(2), "/dev/ttyUSB0");
}

// A sysfs tty class folder built in a temporary directory.
class Enumeration : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tapix-sysfs-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    root_ = tmpl;
  }
  void TearDown() override { fs::remove_all(root_); }

  // A tty entry; `device` and `driver` say which links it has.
  void Tty(const std::string& name, bool device, bool driver = true, const char* type = nullptr) {
    const fs::path entry = root_ / name;
    fs::create_directories(entry);
    if (device) fs::create_directories(driver ? entry / "device" / "driver" : entry / "device");
    if (type != nullptr) std::ofstream(entry / "type") << type << "\n";
  }
  std::vector<std::string> Found() { return ScanSerialDevices(root_.string(), "/dev"); }

  fs::path root_;
};

TEST_F(Enumeration, StableOrderByKindThenNumber) {
  Tty("ttyUSB10", true);
  Tty("ttyACM0", true);
  Tty("ttyUSB2", true);
  Tty("rfcomm0", false);
  Tty("ttyS0", true, true, "4");
  Tty("ttyXRUSB0", true);
  Tty("ttyAMA0", true);
  Tty("ttyUSB0", true);
  const std::vector<std::string> expected = {"/dev/ttyS0",    "/dev/ttyAMA0", "/dev/ttyUSB0",
                                             "/dev/ttyUSB2",  "/dev/ttyUSB10", "/dev/ttyACM0",
                                             "/dev/rfcomm0",  "/dev/ttyXRUSB0"};
  EXPECT_EQ(Found(), expected);
}

TEST_F(Enumeration, OnlyRealUartsAndHardware) {
  Tty("ttyS0", true, true, "4");
  Tty("ttyS1", true, true, "0");    // placeholder of the 8250 driver
  Tty("ttyS2", true, false, "4");   // no driver bound
  Tty("ttyS3", false);
  Tty("tty0", false);               // virtual console
  Tty("console", false);
  Tty("ptmx", false);
  Tty("ttyUSB0", true, false);      // a device is enough outside ttyS
  const std::vector<std::string> expected = {"/dev/ttyS0", "/dev/ttyUSB0"};
  EXPECT_EQ(Found(), expected);
}

TEST_F(Enumeration, MissingFolderFindsNothing) {
  EXPECT_TRUE(ScanSerialDevices((root_ / "none").string(), "/dev").empty());
}

TEST_F(Enumeration, UsbAdaptersAreDescribedFromTheirUsbDevice) {
  // sysfs: the tty's device is the USB interface; maker, product and serial
  // sit on the USB device above it.
  const fs::path usb = root_ / "devices" / "usb1" / "1-1";
  fs::create_directories(usb / "1-1:1.0" / "ttyUSB0");
  std::ofstream(usb / "idVendor") << "0403\n";
  std::ofstream(usb / "idProduct") << "6001\n";
  std::ofstream(usb / "manufacturer") << "FTDI\n";
  std::ofstream(usb / "product") << "FT232R USB UART\x1b[2J\n";  // the ESC is dropped
  std::ofstream(usb / "serial") << "A50285BI\n";
  fs::create_directories(root_ / "class" / "ttyUSB0");
  fs::create_directory_symlink(usb / "1-1:1.0" / "ttyUSB0", root_ / "class" / "ttyUSB0" / "device");
  const std::string tty_class = (root_ / "class").string();
  EXPECT_EQ(DescribeDevice("/dev/ttyUSB0", tty_class),
            "FTDI FT232R USB UART[2J, Seriennummer A50285BI");
  // Without the texts the ids stand in; a UART without USB has nothing.
  fs::remove(usb / "manufacturer");
  fs::remove(usb / "product");
  fs::remove(usb / "serial");
  EXPECT_EQ(DescribeDevice("/dev/ttyUSB0", tty_class), "USB 0403:6001");
  fs::create_directories(root_ / "class" / "ttyS0" / "device");
  EXPECT_EQ(DescribeDevice("/dev/ttyS0", tty_class), "");
  EXPECT_EQ(DescribeDevice("/dev/ttyUSB9", tty_class), "");
}

}  // namespace
}  // namespace tapix
