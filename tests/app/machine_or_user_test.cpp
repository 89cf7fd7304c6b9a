// The Windows store for users with and without administrator rights:
// HKEY_LOCAL_MACHINE first, the user's own key when the machine's refuses.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_console.h"
#include "store_notices_capture.h"
#include "memory_registry.h"
#include "app/settings_io.h"

namespace tapix::testing {
namespace {

constexpr const char* kKeyName = "Ventrix Test";
constexpr const char* kBasePath = "SOFTWARE\\TRESOL";
const std::string kPath = "SOFTWARE\\TRESOL\\Ventrix Test";

class MachineOrUserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistry(&registry_);
    SetDefaults(settings_);
    settings_.port = 7;
    settings_.dcb.BaudRate = 19200;
  }
  void TearDown() override {
    SetRegistry(nullptr);
    EXPECT_EQ(registry_.OpenKeys(), 0u);
  }
  PortSettings Loaded() {
    PortSettings loaded;
    SetDefaults(loaded);
    LoadFromMachineAndUser(loaded, kKeyName, kBasePath);
    return loaded;
  }
  MemoryRegistry registry_;
  NoticeCapture notices_;
  PortSettings settings_{};
};

// A first load makes the empty key below HKEY_LOCAL_MACHINE where it may
// (RegCreateKeyEx), never one for the user; where the machine's key cannot be
// made it reads nothing and says nothing.
TEST_F(MachineOrUserTest, AFirstLoadMakesTheEmptyMachineKeyWhereItMay) {
  EXPECT_EQ(Loaded().port, 1u);
  ASSERT_NE(registry_.Key(HKEY_LOCAL_MACHINE, kPath), nullptr);
  EXPECT_TRUE(registry_.Key(HKEY_LOCAL_MACHINE, kPath)->empty()) << "the values come with a save";
  EXPECT_EQ(registry_.Key(HKEY_CURRENT_USER, kPath), nullptr);

  MemoryRegistry refusing;
  refusing.RefuseWrites(HKEY_LOCAL_MACHINE);
  SetRegistry(&refusing);
  EXPECT_EQ(Loaded().port, 1u);
  EXPECT_EQ(refusing.Key(HKEY_LOCAL_MACHINE, kPath), nullptr);
  EXPECT_EQ(refusing.Key(HKEY_CURRENT_USER, kPath), nullptr);
  EXPECT_EQ(refusing.OpenKeys(), 0u);
  EXPECT_EQ(notices_.Text(), "");
  SetRegistry(&registry_);
}

TEST_F(MachineOrUserTest, AnAdministratorSavesBelowTheMachineKeyAlone) {
  EXPECT_EQ(SaveToMachineOrUser(settings_, kKeyName, kBasePath), ERROR_SUCCESS);
  EXPECT_EQ(registry_.Text(HKEY_LOCAL_MACHINE, kPath, "Port"), "7");
  EXPECT_EQ(registry_.Key(HKEY_CURRENT_USER, kPath), nullptr) << "no user key made";
  EXPECT_EQ(notices_.Text(), "");
  EXPECT_EQ(Loaded().port, 7u);
  EXPECT_EQ(registry_.Key(HKEY_CURRENT_USER, kPath), nullptr) << "a load makes no user key";
}

TEST_F(MachineOrUserTest, ARefusedMachineKeySavesForTheUserAndSaysSo) {
  registry_.Put(HKEY_LOCAL_MACHINE, kPath, "Port", REG_SZ, std::string("3\0", 2));
  registry_.RefuseWrites(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(SaveToMachineOrUser(settings_, kKeyName, kBasePath), ERROR_SUCCESS);
  EXPECT_EQ(registry_.Text(HKEY_LOCAL_MACHINE, kPath, "Port"), "3") << "machine key untouched";
  EXPECT_EQ(registry_.Text(HKEY_CURRENT_USER, kPath, "Port"), "7");
  EXPECT_EQ(registry_.Text(HKEY_CURRENT_USER, kPath, "Baud"), "19200");
  EXPECT_EQ(notices_.Text(),
            "Einstellungen unter HKEY_CURRENT_USER gespeichert (HKEY_LOCAL_MACHINE: kein "
            "Schreibrecht)\n");
  // The next start finds the user's values over the machine's.
  const PortSettings loaded = Loaded();
  EXPECT_EQ(loaded.port, 7u);
  EXPECT_EQ(loaded.dcb.BaudRate, 19200u);
}

TEST_F(MachineOrUserTest, ASaveRefusedEverywhereIsOneLineNeverSuccess) {
  registry_.RefuseWrites(HKEY_LOCAL_MACHINE);
  registry_.RefuseWrites(HKEY_CURRENT_USER);
  EXPECT_EQ(SaveToMachineOrUser(settings_, kKeyName, kBasePath), ERROR_ACCESS_DENIED);
  EXPECT_EQ(notices_.Text().rfind("Einstellungen nicht gespeichert: Fehler 5 - ", 0), 0u)
      << notices_.Text();
  EXPECT_EQ(std::count(notices_.Text().begin(), notices_.Text().end(), '\n'), 1) << notices_.Text();
}

TEST_F(MachineOrUserTest, AMachineSaveAlsoRefreshesAnOlderUserCopy) {
  registry_.Put(HKEY_CURRENT_USER, kPath, "Port", REG_SZ, std::string("4\0", 2));
  EXPECT_EQ(SaveToMachineOrUser(settings_, kKeyName, kBasePath), ERROR_SUCCESS);
  EXPECT_EQ(registry_.Text(HKEY_CURRENT_USER, kPath, "Port"), "7");
  EXPECT_EQ(Loaded().port, 7u) << "the old user copy must not hide the new values";
}

TEST_F(MachineOrUserTest, TheUserCopyWinsValueByValue) {
  registry_.Put(HKEY_LOCAL_MACHINE, kPath, "Port", REG_SZ, std::string("3\0", 2));
  registry_.Put(HKEY_LOCAL_MACHINE, kPath, "Baud", REG_SZ, std::string("4800\0", 5));
  registry_.Put(HKEY_CURRENT_USER, kPath, "Port", REG_SZ, std::string("9\0", 2));
  const PortSettings loaded = Loaded();
  EXPECT_EQ(loaded.port, 9u);
  EXPECT_EQ(loaded.dcb.BaudRate, 4800u);
}

}  // namespace
}  // namespace tapix::testing
