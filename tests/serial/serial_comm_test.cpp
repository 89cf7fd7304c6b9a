// The present ports from the registry's list of serial devices.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/memory_panel.h"
#include "memory_registry.h"
#include "app/port_choices.h"
#include "serial/present_ports.h"
#include "serial/serial_comm.h"

namespace tapix::testing {
namespace {

const std::string kSerialComm = "Hardware\\DeviceMap\\SerialComm";

// The port numbers the list names.
std::set<std::uint32_t> Numbers() {
  std::set<std::uint32_t> numbers;
  for (const auto& [number, device] : ReadSerialCommList()) numbers.insert(number);
  return numbers;
}

class SerialCommTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistry(&registry_); }
  void TearDown() override {
    SetRegistry(nullptr);
    EXPECT_EQ(registry_.OpenKeys(), 0u) << "the key must be closed again";
  }
  // One device value; the value names are not looked at, so they count up.
  void Device(const std::string& data, std::uint32_t type = REG_SZ) {
    registry_.Put(HKEY_LOCAL_MACHINE, kSerialComm, "\\Device\\Serial" + std::to_string(next_++),
                  type, data + std::string(1, '\0'));
  }
  MemoryRegistry registry_;
  int next_ = 0;
};

TEST_F(SerialCommTest, DevicesInAnyOrderFillTheListAscending) {
  Device("COM3");
  Device("COM1");
  Device("COM12");
  EXPECT_EQ(Numbers(), (std::set<std::uint32_t>{1, 3, 12}));

  MemoryPanel panel;
  PortChoices list;
  list.Bind(&panel);
  std::vector<PresentPort> present;
  for (const auto& [number, device] : ReadSerialCommList()) present.push_back({number, device, {}});
  list.Fill(3, present);
  ASSERT_EQ(panel.ComboEntries().size(), 4u);
  EXPECT_EQ(panel.ComboEntries()[3].text, "COM12");
  EXPECT_EQ(panel.ComboEntries()[3].detail, "\\Device\\Serial2") << "the device beside the number";
  EXPECT_EQ(list.SelectedPort(), 3u);
  EXPECT_EQ(list.PortAt(3), 12u);
}

TEST_F(SerialCommTest, OnlyNumbersFrom1To32AfterThreeCharactersCount) {
  Device("COM33");
  Device("COM0");
  Device("COM-4");
  Device("COM");                        // shorter than four characters
  Device("COM99999999999999999999");    // must not wrap into the range
  Device("COM 7");                      // white space before the number
  Device("COM+8x");                     // a sign, and a stop at the first non-digit
  Device("XYZ9");                       // the first three are not compared
  Device("COM5", REG_BINARY);           // the type is not looked at
  Device("COM5");                       // named twice: once
  EXPECT_EQ(Numbers(), (std::set<std::uint32_t>{5, 7, 8, 9}));
}

TEST_F(SerialCommTest, ReadingStopsAfter33ValuesOrAtOneThatDoesNotFit) {
  for (int i = 0; i < 33; ++i) Device("COM1");
  Device("COM2");  // the 34th value is not read
  EXPECT_EQ(Numbers(), (std::set<std::uint32_t>{1}));

  MemoryRegistry other;
  SetRegistry(&other);
  other.Put(HKEY_LOCAL_MACHINE, kSerialComm, "a", REG_SZ, std::string("COM3\0", 5));
  other.Put(HKEY_LOCAL_MACHINE, kSerialComm, "b", REG_SZ, "COM4" + std::string(300, ' '));
  other.Put(HKEY_LOCAL_MACHINE, kSerialComm, "c", REG_SZ, std::string("COM6\0", 5));
  EXPECT_EQ(Numbers(), (std::set<std::uint32_t>{3})) << "a value too long ends the list";
  EXPECT_EQ(other.OpenKeys(), 0u);
  SetRegistry(&registry_);
}

// --list shows the device behind each port as the system names it.
TEST_F(SerialCommTest, EachPortKeepsTheNameOfItsFirstDevice) {
  Device("COM4");  // \Device\Serial0
  Device("COM2");  // \Device\Serial1
  Device("COM4");  // \Device\Serial2: named twice, the first counts
  registry_.Put(HKEY_LOCAL_MACHINE, kSerialComm, "\\Device\\VCP\x01\t0", REG_SZ,
                std::string("COM7\0", 5));
  EXPECT_EQ(ReadSerialCommList(), (std::map<std::uint32_t, std::string>{
                                     {2, "\\Device\\Serial1"},
                                     {4, "\\Device\\Serial0"},
                                     {7, "\\Device\\VCP??0"}}));
}

TEST_F(SerialCommTest, NoKeyNoPorts) { EXPECT_TRUE(Numbers().empty()); }

}  // namespace
}  // namespace tapix::testing
