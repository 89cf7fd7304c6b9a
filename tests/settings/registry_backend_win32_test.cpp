// The registry backend of the Windows build on the system's registry (Wine's
// in the test run): each root reaches the system's key of that name, values
// keep their bytes and types, RegistryKey's numbers survive as text, and the
// settings load and save through it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <tuple>

#include "serial/port_settings.h"
#include "settings/registry_backend.h"
#include "settings/registry_key.h"
#include "app/settings_io.h"
#include "system_registry.h"

namespace tapix::testing {
namespace {

struct SystemRegistryTest : ::testing::Test {
  void TearDown() override {
    SystemDeleteTree(SystemRoot::LocalMachine, kScratch);
    SystemDeleteTree(SystemRoot::CurrentUser, kScratch);
  }
  RegHandle Create(RegHandle root, const std::string& path) {
    RegHandle key = 0;
    EXPECT_EQ(backend.CreateKey(root, path, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << path;
    return key;
  }
  long SetText(RegHandle key, const char* name, const std::string& text) {
    return backend.SetValue(key, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                            static_cast<std::uint32_t>(text.size() + 1));
  }

  static constexpr const char* kScratch = "SOFTWARE\\TapixTests";
  const std::string path = std::string(kScratch) + "\\" +
                           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  RegistryBackend& backend = PlatformRegistry();
};

TEST_F(SystemRegistryTest, EachRootReachesTheSystemsKeyOfThatName) {
  // On Win64 the system's roots are sign-extended pointers, not our numbers.
  for (const auto& [root, system, other] :
       {std::tuple{HKEY_LOCAL_MACHINE, SystemRoot::LocalMachine, SystemRoot::CurrentUser},
        std::tuple{HKEY_CURRENT_USER, SystemRoot::CurrentUser, SystemRoot::LocalMachine}}) {
    const RegHandle key = Create(root, path);
    EXPECT_EQ(SetText(key, "Port", "12"), ERROR_SUCCESS);
    EXPECT_EQ(backend.CloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(SystemText(system, path, "Port"), "12");
    SystemDeleteTree(system, path);
    EXPECT_EQ(SystemText(other, path, "Port"), std::nullopt);
  }
}

TEST_F(SystemRegistryTest, ValuesKeepBytesAndTypesAndMissingOnesSaySo) {
  const RegHandle key = Create(HKEY_CURRENT_USER, path);
  ASSERT_EQ(SetText(key, "Baud", "19200"), ERROR_SUCCESS);
  const std::uint32_t seven = 7;
  ASSERT_EQ(backend.SetValue(key, "Count", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&seven), 4),
            ERROR_SUCCESS);

  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(backend.QueryValue(key, "Baud", &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 6u);  // with the terminating zero
  std::uint8_t small[3] = {'x', 'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(backend.QueryValue(key, "Baud", &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(small), 3), "xxx") << "the buffer stays as it was";
  std::uint8_t data[16] = {};
  size = sizeof data;
  EXPECT_EQ(backend.QueryValue(key, "bAUD", &type, data, &size), ERROR_SUCCESS);  // any case
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("19200", 6));
  size = sizeof data;
  EXPECT_EQ(backend.QueryValue(key, "Count", &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  ASSERT_EQ(size, 4u);
  std::uint32_t count = 0;
  std::memcpy(&count, data, 4);
  EXPECT_EQ(count, 7u);

  char name[32];
  std::uint32_t name_size = sizeof name;
  EXPECT_EQ(backend.EnumValue(key, 0, name, &name_size, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::string(name, name_size), "Baud");
  name_size = sizeof name;
  EXPECT_EQ(backend.EnumValue(key, 2, name, &name_size, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  EXPECT_EQ(backend.DeleteValue(key, "Baud"), ERROR_SUCCESS);
  size = sizeof data;
  EXPECT_EQ(backend.QueryValue(key, "Baud", &type, data, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(backend.CloseKey(key), ERROR_SUCCESS);
  RegHandle missing = 0;
  EXPECT_EQ(backend.OpenKey(HKEY_CURRENT_USER, path + "\\Missing", KEY_READ, &missing),
            ERROR_FILE_NOT_FOUND);
}

// Numbers are written as text of their field's width and read back whole;
// `long` has 32 bits on Windows, so the full 32-bit range is the edge.
TEST_F(SystemRegistryTest, RegistryKeyNumbersAsTextAtTheEdgesOfTheirWidth) {
  RegistryKey key;
  ASSERT_EQ(key.CreatePath(HKEY_CURRENT_USER, path, "Numbers", KEY_ALL_ACCESS), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteLong("L", 4294967295u), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteWord("W", 70000), ERROR_SUCCESS);
  EXPECT_EQ(key.WriteByte("B", 264), ERROR_SUCCESS);
  ASSERT_EQ(key.SetText("-2147483648", "N"), ERROR_SUCCESS);
  const std::string numbers = path + "\\Numbers";
  EXPECT_EQ(SystemText(SystemRoot::CurrentUser, numbers, "L"), "4294967295");
  EXPECT_EQ(SystemText(SystemRoot::CurrentUser, numbers, "W"), "4464");
  EXPECT_EQ(SystemText(SystemRoot::CurrentUser, numbers, "B"), "8");
  std::uint32_t l = 0, n = 0;
  std::uint16_t w = 0;
  std::uint8_t b = 0;
  EXPECT_EQ(key.ReadLong("L", l), ERROR_SUCCESS);
  EXPECT_EQ(l, 4294967295u);
  EXPECT_EQ(key.ReadWord("W", w), ERROR_SUCCESS);
  EXPECT_EQ(w, 4464);
  EXPECT_EQ(key.ReadByte("B", b), ERROR_SUCCESS);
  EXPECT_EQ(b, 8);
  EXPECT_EQ(key.ReadLong("N", n), ERROR_SUCCESS);
  EXPECT_EQ(n, 0x80000000u);
  EXPECT_EQ(key.Close(), ERROR_SUCCESS);
}

TEST_F(SystemRegistryTest, SettingsSavedAsTextComeBackWhole) {
  PortSettings saved;
  SetDefaults(saved);
  saved.port = 12;
  InitDcb(saved.dcb, 19200, 2, 7, 2);
  saved.Autoconnect = 1;
  ASSERT_EQ(SaveToRegistry(saved, "Ventrix Test", path), ERROR_SUCCESS);
  const std::string key = path + "\\Ventrix Test";
  EXPECT_EQ(SystemText(SystemRoot::LocalMachine, key, "Port"), "12");
  EXPECT_EQ(SystemText(SystemRoot::LocalMachine, key, "Baud"), "19200");
  EXPECT_EQ(SystemText(SystemRoot::LocalMachine, key, "Bits"), "7");
  EXPECT_EQ(SystemText(SystemRoot::LocalMachine, key, "Parity"), "2");
  EXPECT_EQ(SystemText(SystemRoot::LocalMachine, key, "StopBits"), "2");
  EXPECT_EQ(SystemText(SystemRoot::LocalMachine, key, "Autoconnect"), "1");

  PortSettings loaded;
  SetDefaults(loaded);
  LoadFromRegistry(loaded, "Ventrix Test", path);
  EXPECT_EQ(loaded.port, 12u);
  EXPECT_EQ(loaded.dcb.BaudRate, 19200u);
  EXPECT_EQ(loaded.dcb.ByteSize, 7);
  EXPECT_EQ(loaded.dcb.Parity, 2);
  EXPECT_EQ(loaded.dcb.StopBits, 2);
  EXPECT_EQ(loaded.Autoconnect, 1u);
}

}  // namespace
}  // namespace tapix::testing
