#include <cstring>

#include "app/settings_io.h"
#include "store_notices_capture.h"
#include "settings/store_fixture.h"

namespace tapix::testing {
namespace {

class SettingsIoTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    SetDefaults(settings_);
  }

  // Stores the given values (REG_SZ texts) under the settings key.
  void Store(std::initializer_list<std::pair<const char*, std::string>> values) {
    RegistryKey key;
    ASSERT_EQ(key.CreatePath(kBasePath, kKeyName, KEY_ALL_ACCESS), ERROR_SUCCESS);
    for (const auto& [name, text] : values) ASSERT_EQ(key.SetText(text.c_str(), name), ERROR_SUCCESS);
    ASSERT_EQ(key.Close(), ERROR_SUCCESS);
  }

  void StoreRaw(const char* name, std::uint32_t type, std::vector<std::uint8_t> data) {
    RegistryKey key;
    ASSERT_EQ(key.CreatePath(kBasePath, kKeyName, KEY_ALL_ACCESS), ERROR_SUCCESS);
    ASSERT_EQ(Registry().SetValue(key.Handle(), name, type, data.data(),
                                  static_cast<std::uint32_t>(data.size())),
              ERROR_SUCCESS);
  }

  PortSettings Load() {
    LoadFromRegistry(settings_, kKeyName, kBasePath);
    return settings_;
  }

  static bool Same(const PortSettings& a, const PortSettings& b) {
    return std::memcmp(&a.dcb, &b.dcb, sizeof a.dcb) == 0 && a.port == b.port &&
           a.Autoconnect == b.Autoconnect;
  }

  PortSettings settings_{};
};

TEST_F(SettingsIoTest, NoKeyLoadsNothingMakesTheEmptyKeyAndSaveWritesSixTexts) {
  const PortSettings defaults = settings_;
  // A folder that cannot be written: the load reads nothing, leaves nothing
  // and says nothing.
  NoticeCapture notices;
  store_->SetWriteHook([](WriteStep step) { return step == WriteStep::kMakeDirectory ? EACCES : 0; });
  EXPECT_TRUE(Same(Load(), defaults));
  EXPECT_FALSE(std::filesystem::exists(Dir()));
  EXPECT_EQ(notices.Text(), "");
  // Where it may write, the first load leaves the empty key, written like
  // every save; the values come with the first save.
  store_->SetWriteHook({});
  EXPECT_TRUE(Same(Load(), defaults));
  const RegistryTree empty = StoredTree();
  ASSERT_NE(empty.Find(kSettingsKey), nullptr) << ReadStore();
  EXPECT_TRUE(empty.Find(kSettingsKey)->Values().empty()) << ReadStore();
  EXPECT_NE(ReadStore().find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test]\n"),
            std::string::npos);
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_EQ(notices.Text(), "");

  settings_.port = 3;
  settings_.dcb.BaudRate = 19200;
  settings_.dcb.ByteSize = 8;
  settings_.dcb.Parity = NOPARITY;
  settings_.dcb.StopBits = ONESTOPBIT;
  settings_.Autoconnect = 0;
  ASSERT_EQ(SaveToRegistry(settings_, kKeyName, kBasePath), ERROR_SUCCESS);

  const RegistryTree tree = StoredTree();
  const RegKeyNode* key = tree.Find(kSettingsKey);
  ASSERT_NE(key, nullptr);
  const std::list<RegValue> want = {{"Port", REG_SZ, Sz("3")},     {"Baud", REG_SZ, Sz("19200")},
                                      {"Bits", REG_SZ, Sz("8")},     {"Parity", REG_SZ, Sz("0")},
                                      {"StopBits", REG_SZ, Sz("0")}, {"Autoconnect", REG_SZ, Sz("0")}};
  EXPECT_EQ(key->Values(), want);  // in this order, the zero stored
  EXPECT_NE(ReadStore().find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test]\n\"Port\"=\"3\"\n"),
            std::string::npos);

  PortSettings again;
  SetDefaults(again);
  LoadFromRegistry(again, kKeyName, kBasePath);
  EXPECT_TRUE(Same(again, settings_));
}

TEST_F(SettingsIoTest, BaudOnlyFromTheTable) {
  settings_.dcb.BaudRate = 4800;
  Store({{"Baud", "19200 Baud"}});
  EXPECT_EQ(Load().dcb.BaudRate, 19200u);
  Store({{"Baud", "Rate 9600"}});
  EXPECT_EQ(Load().dcb.BaudRate, 9600u);
  for (const char* refused : {"12345", "-9600", "0", "Baud", "115201"}) {
    settings_.dcb.BaudRate = 4800;
    Store({{"Baud", refused}});
    EXPECT_EQ(Load().dcb.BaudRate, 4800u) << refused;
  }
}

TEST_F(SettingsIoTest, NumbersAreReducedToTheFieldWidth) {
  Store({{"Port", "COM7"}, {"Bits", "264"}, {"Parity", "E"}, {"StopBits", "2"}});
  PortSettings loaded = Load();
  EXPECT_EQ(loaded.port, 7u);
  EXPECT_EQ(loaded.dcb.ByteSize, 8);
  EXPECT_EQ(loaded.dcb.Parity, 0);  // no digit: 0, not the letter's code
  EXPECT_EQ(loaded.dcb.StopBits, 2);

  Store({{"Port", "-1"}});
  EXPECT_EQ(Load().port, 65535u);
  Store({{"Port", "70000"}});
  EXPECT_EQ(Load().port, 4464u);
}

TEST_F(SettingsIoTest, EmptyOrTooLongTextKeepsTheField) {
  settings_.dcb.Parity = EVENPARITY;
  settings_.port = 5;
  Store({{"Parity", ""}, {"Port", std::string(19, '1')}, {"Bits", "7"}});
  PortSettings loaded = Load();
  EXPECT_EQ(loaded.dcb.Parity, EVENPARITY);
  EXPECT_EQ(loaded.port, 5u);
  EXPECT_EQ(loaded.dcb.ByteSize, 7);  // the values after them are still read

  Store({{"Port", std::string(17, '0') + "9"}});  // 18 characters still fit
  EXPECT_EQ(Load().port, 9u);
}

TEST_F(SettingsIoTest, AutoconnectFromTheFirstCharacter) {
  for (const char* yes : {"Ja", "ja", "Wahr", "true", "1", "Tja", "w", "Jaaaaaaa"}) {
    settings_.Autoconnect = 0;
    Store({{"Autoconnect", yes}});
    EXPECT_EQ(Load().Autoconnect, 1u) << yes;
  }
  for (const char* no : {"Nein", "0", "false", "yes", " 1", "\xE4"}) {
    settings_.Autoconnect = 1;
    Store({{"Autoconnect", no}});
    EXPECT_EQ(Load().Autoconnect, 0u) << no;
  }
  for (const char* kept : {"", "Jaaaaaaaa", "Neinneinn"}) {  // empty, 9 characters
    for (std::uint32_t start : {0u, 1u}) {
      settings_.Autoconnect = start;
      Store({{"Autoconnect", kept}});
      EXPECT_EQ(Load().Autoconnect, start) << '\'' << kept << '\'';
    }
  }
}

TEST_F(SettingsIoTest, DwordValuesAreReadByteForByteAsText) {
  StoreRaw("Bits", REG_DWORD, {0x0A, 0, 0, 0});        // dword:0000000a: no digit
  StoreRaw("Port", REG_DWORD, {'1', '9', 0, 0});       // digits up to the zero
  StoreRaw("Baud", REG_DWORD, {'9', '6', '0', '0'});  // no zero: up to the end
  settings_.dcb.BaudRate = 4800;
  PortSettings loaded = Load();
  EXPECT_EQ(loaded.dcb.ByteSize, 0);
  EXPECT_EQ(loaded.port, 19u);
  EXPECT_EQ(loaded.dcb.BaudRate, 9600u);
}

TEST_F(SettingsIoTest, SaveWritesTheLowBitsAndAutoconnectOnlyForOne) {
  settings_.port = 70000;
  settings_.Autoconnect = 2;
  ASSERT_EQ(SaveToRegistry(settings_, kKeyName, kBasePath), ERROR_SUCCESS);
  const RegistryTree tree = StoredTree();
  const RegKeyNode* key = tree.Find(kSettingsKey);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Find("Port")->data, Sz("4464"));
  EXPECT_EQ(key->Find("Autoconnect")->data, Sz("0"));
  EXPECT_EQ(key->Find("Parity")->data, Sz("2"));

  Store({{"Autoconnect", "Ja"}});
  settings_.Autoconnect = 0;
  ASSERT_EQ(SaveToRegistry(Load(), kKeyName, kBasePath), ERROR_SUCCESS);
  EXPECT_EQ(StoredTree().Find(kSettingsKey)->Find("Autoconnect")->data, Sz("1"));  // 'Ja' -> "1"
}

TEST_F(SettingsIoTest, SaveKeepsWhatOthersStored) {
  WriteStore(
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
      "\"Pfad\"=\"C:\\\\Programme\\\\\\\"Q\\\"\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test]\r\n"
      "\"Port\"=\"9\"\r\n"
      "\"Farbe\"=dword:00ff00ff\r\n"
      "\"Blob\"=hex:00,01,\\\r\n  fe,ff\r\n");
  EXPECT_EQ(Load().port, 9u);
  // A key added by hand while the program runs survives the save as well.
  const std::string added = ReadStore() + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Later]\n\"A\"=\"b\"\n";
  WriteStore(added);
  settings_.port = 4;
  ASSERT_EQ(SaveToRegistry(settings_, kKeyName, kBasePath), ERROR_SUCCESS);

  const RegistryTree tree = StoredTree();
  ASSERT_EQ(tree.Keys().size(), 3u);
  EXPECT_EQ(tree.Find("HKEY_CURRENT_USER\\Software\\Other")->Find("Pfad")->data,
            Sz("C:\\Programme\\\"Q\""));
  EXPECT_EQ(tree.Find("HKEY_LOCAL_MACHINE\\SOFTWARE\\Later")->Find("A")->data, Sz("b"));
  const RegKeyNode* key = tree.Find(kSettingsKey);
  EXPECT_EQ(key->Find("Port")->data, Sz("4"));
  const std::vector<std::uint8_t> color = {0xFF, 0x00, 0xFF, 0x00};
  EXPECT_EQ(key->Find("Farbe")->data, color);
  EXPECT_EQ(key->Find("Farbe")->type, REG_DWORD);
  const std::vector<std::uint8_t> blob = {0x00, 0x01, 0xFE, 0xFF};
  EXPECT_EQ(key->Find("Blob")->data, blob);
  EXPECT_EQ(key->Values().size(), 8u);  // the two kept and the six of the save
}

}  // namespace
}  // namespace tapix::testing
