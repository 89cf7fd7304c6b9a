// What the port layer says about a refused setting, and the time-outs every
// open port gets.
#include <gtest/gtest.h>

#include "fake_device.h"
#include "serial/port.h"
#include "serial/present_ports.h"

namespace tapix {
namespace {

using testing::ScriptedDevice;

TEST(RefusedFieldLine, NamesEachFieldWithItsValue) {
  DCB dcb{};
  InitDcb(dcb, 57600, MARKPARITY, 7, TWOSTOPBITS);
  EXPECT_EQ(RefusedFieldLine(LineField::None, dcb), "");
  EXPECT_EQ(RefusedFieldLine(LineField::Rate, dcb), "Vom Ger\xE4t abgelehnt: Baud-Rate 57600\n");
  EXPECT_EQ(RefusedFieldLine(LineField::Parity, dcb), "Vom Ger\xE4t abgelehnt: Parity M\n");
  EXPECT_EQ(RefusedFieldLine(LineField::DataBits, dcb), "Vom Ger\xE4t abgelehnt: Daten-Bits 7\n");
  EXPECT_EQ(RefusedFieldLine(LineField::StopBits, dcb), "Vom Ger\xE4t abgelehnt: Stop-Bits 2\n");
  dcb.ByteSize = 5;
  dcb.StopBits = ONE5STOPBITS;
  EXPECT_EQ(RefusedFieldLine(LineField::StopBits, dcb), "Vom Ger\xE4t abgelehnt: Stop-Bits 1.5\n");
}

TEST(PortTimeouts, SetsIntervalAndMultipliersKeepsConstants) {
  ScriptedDevice device;
  device.timeouts_ = {1, 2, 7, 4, 9};
  SetPortTimeouts(&device);
  EXPECT_EQ(device.timeouts_.ReadIntervalTimeout, 100u);
  EXPECT_EQ(device.timeouts_.ReadTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(device.timeouts_.ReadTotalTimeoutConstant, 7u);
  EXPECT_EQ(device.timeouts_.WriteTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(device.timeouts_.WriteTotalTimeoutConstant, 9u);
  SetPortTimeouts(nullptr);  // nothing to do, no crash
}

// The windows' lists show the device, and what is behind it beside.
TEST(PresentPorts, TheDetailNamesTheDeviceAndWhatIsBehindIt) {
  EXPECT_EQ(PortDetail({3, "/dev/ttyUSB0", "FTDI FT232R USB UART, Seriennummer A5"}),
            "/dev/ttyUSB0 (FTDI FT232R USB UART, Seriennummer A5)");
  EXPECT_EQ(PortDetail({5, "\\Device\\Serial0", ""}), "\\Device\\Serial0");
}

}  // namespace
}  // namespace tapix
