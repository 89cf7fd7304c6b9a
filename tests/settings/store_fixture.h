// A file store in a fresh temporary directory, installed as the registry of
// the test, with helpers to look at the file itself.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "reg_data.h"
#include "settings/file_store.h"
#include "settings/registry_key.h"
#include "settings/store_format.h"

namespace tapix::testing {

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tapix-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    store_ = std::make_unique<FileStore>(dir_ + "/tapix/settings.reg");
    SetRegistry(store_.get());
  }
  void TearDown() override {
    SetRegistry(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  const std::string& Path() const { return store_->Path(); }
  std::string Dir() const { return dir_ + "/tapix"; }

  void WriteFile(const std::string& path, std::string_view bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteStore(std::string_view bytes) { WriteFile(Path(), bytes); }
  std::string ReadStore() const { return ReadFile(Path()); }

  // The parsed store file; fails the test when it does not parse.
  RegistryTree StoredTree() const {
    RegistryTree tree;
    EXPECT_TRUE(ParseStore(ReadStore(), tree)) << ReadStore();
    return tree;
  }

  // Names in the store's directory other than the store and its copies:
  // what a save must never leave behind.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Dir())) {
      const std::string name = entry.path().filename().string();
      if (name != "settings.reg" && name.rfind("settings.reg.broken", 0) != 0) names.push_back(name);
    }
    return names;
  }

  std::string dir_;
  std::unique_ptr<FileStore> store_;
};

inline constexpr const char* kKeyName = "Ventrix Test";
inline constexpr const char* kBasePath = "SOFTWARE\\TRESOL";
inline constexpr const char* kSettingsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test";

}  // namespace tapix::testing
