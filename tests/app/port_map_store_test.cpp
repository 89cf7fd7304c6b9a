#include <cerrno>

#include "app/settings_io.h"
#include "settings/store_fixture.h"

namespace tapix::testing {
namespace {

constexpr const char* kPortsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test\\Ports";

using PortMapStoreTest = StoreTest;

TEST_F(PortMapStoreTest, LoadTakesWellFormedEntriesOnly) {
  WriteStore(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test\\Ports]\n"
      "\"COM1\"=\"/dev/ttyUSB0\"\n"
      "\"com12\"=\"/dev/serial/by-id/usb-FTDI \\\"A\\\"\"\n"
      "\"COM255\"=\"/dev/ttyS4\"\n"
      "\"COM0\"=\"/dev/zero\"\n"
      "\"COM256\"=\"/dev/x\"\n"
      "\"COM07\"=\"/dev/x\"\n"
      "\"COM1x\"=\"/dev/x\"\n"
      "\"COM\"=\"/dev/x\"\n"
      "\"Port3\"=\"/dev/x\"\n"
      "\"COM4\"=dword:00000001\n"
      "\"COM5\"=\"\"\n");
  PortMap map;
  LoadPortMap(map, kKeyName, kBasePath);
  const std::map<std::uint32_t, std::string> want = {
      {1, "/dev/ttyUSB0"}, {12, "/dev/serial/by-id/usb-FTDI \"A\""}, {255, "/dev/ttyS4"}};
  EXPECT_EQ(map.Explicit(), want);
  EXPECT_FALSE(map.Dirty());  // the map holds what the store holds

  PortMap none;
  std::filesystem::remove(Path());
  LoadPortMap(none, kKeyName, kBasePath);
  EXPECT_TRUE(none.Explicit().empty());
}

TEST_F(PortMapStoreTest, SaveOnlyWhenDirtyAndKeepsForeignValues) {
  PortMap map;
  map.SetExplicit(2, "/dev/ttyACM0");
  map.ClearDirty();
  EXPECT_EQ(SavePortMap(map, kKeyName, kBasePath), ERROR_SUCCESS);
  EXPECT_FALSE(std::filesystem::exists(Path()));

  WriteStore(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test\\Ports]\n"
      "\"COM7\"=\"/dev/ttyS7\"\n"
      "\"COM4\"=dword:00000001\n"
      "\"Note\"=\"by hand\"\n");
  LoadPortMap(map, kKeyName, kBasePath);
  map.RemoveExplicit(7);
  map.SetExplicit(3, "/dev/ttyUSB1");
  map.SetExplicit(300, "/dev/too-high");
  ASSERT_TRUE(map.Dirty());
  EXPECT_EQ(SavePortMap(map, kKeyName, kBasePath), ERROR_SUCCESS);
  EXPECT_FALSE(map.Dirty());

  const RegistryTree tree = StoredTree();
  const RegKeyNode* key = tree.Find(kPortsKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Find("COM7"), nullptr);
  EXPECT_EQ(key->Find("COM2")->data, Sz("/dev/ttyACM0"));
  EXPECT_EQ(key->Find("COM3")->data, Sz("/dev/ttyUSB1"));
  EXPECT_EQ(key->Find("COM300"), nullptr);
  EXPECT_EQ(key->Find("COM4")->type, REG_DWORD);
  EXPECT_EQ(key->Find("Note")->data, Sz("by hand"));
}

TEST_F(PortMapStoreTest, FailedSaveStaysDirty) {
  PortMap map;
  map.SetExplicit(1, "/dev/ttyUSB0");
  store_->SetWriteHook([](WriteStep step) { return step == WriteStep::kWrite ? ENOSPC : 0; });
  EXPECT_EQ(SavePortMap(map, kKeyName, kBasePath), ERROR_DISK_FULL);
  EXPECT_TRUE(map.Dirty());
  store_->SetWriteHook({});
  EXPECT_EQ(SavePortMap(map, kKeyName, kBasePath), ERROR_SUCCESS);
  EXPECT_FALSE(map.Dirty());
  PortMap loaded;
  LoadPortMap(loaded, kKeyName, kBasePath);
  EXPECT_EQ(loaded.Explicit(), map.Explicit());
}

}  // namespace
}  // namespace tapix::testing
