#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>

#include "fake_console.h"
#include "store_notices_capture.h"
#include "app/settings_io.h"
#include "store_fixture.h"

namespace tapix::testing {
namespace {

constexpr std::string_view kBrokenLine = "ist besch\xE4" "digt; Kopie unter ";

class FileStoreTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    SetDefaults(settings_);
  }

  // A store holding other settings and a value big enough to take several
  // chunks to write.
  std::string OldStore() {
    RegistryTree tree;
    RegKeyNode& key = tree.Create(kSettingsKey);
    key.Set("Port", REG_SZ, Sz("2"));
    key.Set("Ballast", REG_BINARY, std::vector<std::uint8_t>(6000, 0x5A));
    return tapix::WriteStore(tree);
  }

  long Save() { return SaveToRegistry(settings_, kKeyName, kBasePath); }
  std::uint32_t LoadedPort() {
    PortSettings loaded;
    SetDefaults(loaded);
    LoadFromRegistry(loaded, kKeyName, kBasePath);
    return loaded.port;
  }

  NoticeCapture notices_;
  PortSettings settings_{};
};

// --- broken store files --------------------------------------------------------

TEST_F(FileStoreTest, BrokenFileIsReportedOnceCopiedAndThenReplaced) {
  const std::string garbage = "Port=3\n\x01\x02 not a store\n";
  WriteStore(garbage);
  PortSettings loaded = settings_;
  LoadFromRegistry(loaded, kKeyName, kBasePath);
  EXPECT_EQ(std::memcmp(&loaded, &settings_, sizeof loaded), 0);  // the defaults
  EXPECT_EQ(notices_.Text(), "Einstellungsdatei " + Path() + " " + std::string(kBrokenLine) + Path() +
                               ".broken\n");
  EXPECT_EQ(ReadFile(Path() + ".broken"), garbage);
  // Once the copy is made, the load's empty key takes the file's place, as a
  // save would.
  EXPECT_EQ(ReadStore(), std::string(kStoreHeader) + "\n\n[" + kSettingsKey + "]\n\n");

  LoadedPort();
  settings_.port = 6;
  EXPECT_EQ(Save(), ERROR_SUCCESS);
  EXPECT_EQ(std::count(notices_.Text().begin(), notices_.Text().end(), '\n'), 1);
  EXPECT_EQ(LoadedPort(), 6u);
  EXPECT_EQ(ReadFile(Path() + ".broken"), garbage);
  EXPECT_TRUE(Leftovers().empty());
}

// One line typed wrongly costs its own value only: the good values are read
// and survive the save, nothing is copied aside, the line is reported once.
TEST_F(FileStoreTest, OneUnreadableLineAmongGoodOnesCostsOnlyItsValue) {
  const std::string ports = "[" + std::string(kSettingsKey) + "\\Ports]\n";
  WriteStore(std::string(kStoreHeader) + "\n\n[" + kSettingsKey + "]\n"
             "\"Port\"=\"3\"\n\"Baud\"=\"19200\"\n\"Bits\"=7\n\"Parity\"=\"0\"\n"
             "\"StopBits\"=\"2\"\n\"Autoconnect\"=\"1\"\n\n" +
             ports + "\"COM3\"=\"/dev/ttyUSB0\"\n\"COM4\"=/dev/ttyS4\n");
  PortSettings loaded = settings_;
  LoadFromRegistry(loaded, kKeyName, kBasePath);
  EXPECT_EQ(loaded.port, 3u);
  EXPECT_EQ(loaded.dcb.BaudRate, 19200u);
  EXPECT_EQ(loaded.dcb.ByteSize, settings_.dcb.ByteSize);  // the default stays
  EXPECT_EQ(loaded.dcb.Parity, 0);
  EXPECT_EQ(loaded.dcb.StopBits, 2);
  EXPECT_EQ(loaded.Autoconnect, 1u);
  EXPECT_EQ(notices_.Text(), "Einstellungsdatei " + Path() +
                               ", Zeile 6 nicht lesbar, bleibt ohne Wirkung: \"Bits\"=7\n"
                               "Einstellungsdatei " + Path() +
                               ", Zeile 13 nicht lesbar, bleibt ohne Wirkung: \"COM4\"=/dev/ttyS4\n");

  settings_ = loaded;
  EXPECT_EQ(Save(), ERROR_SUCCESS);
  EXPECT_EQ(std::count(notices_.Text().begin(), notices_.Text().end(), '\n'), 2) << "reported once";
  EXPECT_FALSE(std::filesystem::exists(Path() + ".broken"));
  // The saved "Bits" replaces the line; the other unreadable line stays.
  EXPECT_EQ(ReadStore(), std::string(kStoreHeader) + "\n\n[" + kSettingsKey + "]\n"
                         "\"Port\"=\"3\"\n\"Baud\"=\"19200\"\n\"Parity\"=\"0\"\n"
                         "\"StopBits\"=\"2\"\n\"Autoconnect\"=\"1\"\n\"Bits\"=\"8\"\n\n" +
                         ports + "\"COM3\"=\"/dev/ttyUSB0\"\n\"COM4\"=/dev/ttyS4\n\n");

  // The next run reads the saved values and tells of the line that is left.
  FileStore next_run(Path());
  SetRegistry(&next_run);
  notices_.Clear();
  PortSettings again = settings_;
  SetDefaults(again);
  LoadFromRegistry(again, kKeyName, kBasePath);
  EXPECT_EQ(std::memcmp(&again, &loaded, sizeof again), 0);
  EXPECT_NE(notices_.Text().find(", Zeile 13 nicht lesbar"), std::string::npos) << notices_.Text();
}

TEST_F(FileStoreTest, ManyUnreadableLinesAreCounted) {
  std::string text = std::string(kStoreHeader) + "\n[" + kSettingsKey + "]\n\"Port\"=\"5\"\n";
  for (std::size_t i = 0; i < kUnreadLinesShown + 3; ++i) text += "wrong " + std::to_string(i) + "\n";
  WriteStore(text);
  EXPECT_EQ(LoadedPort(), 5u);
  EXPECT_EQ(std::count(notices_.Text().begin(), notices_.Text().end(), '\n'),
            static_cast<long>(kUnreadLinesShown) + 1);
  EXPECT_NE(notices_.Text().find(": 3 weitere Zeilen nicht lesbar\n"), std::string::npos) << notices_.Text();
}

TEST_F(FileStoreTest, EarlierCopiesAreNotOverwritten) {
  WriteFile(Path() + ".broken", "first copy");
  WriteFile(Path() + ".broken.1", "second copy");
  std::mt19937 random(99);
  std::string bytes(4096, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  WriteStore(bytes);
  // Opened only (a load would put the empty key in the file's place at once).
  const auto look = [] {
    RegistryKey key;
    EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE", KEY_READ), ERROR_FILE_NOT_FOUND);
  };
  look();
  EXPECT_EQ(ReadFile(Path() + ".broken"), "first copy");
  EXPECT_EQ(ReadFile(Path() + ".broken.1"), "second copy");
  EXPECT_EQ(ReadFile(Path() + ".broken.2"), bytes);
  EXPECT_NE(notices_.Text().find(Path() + ".broken.2\n"), std::string::npos);

  // The next run finds the same broken file: reported again, copied once.
  FileStore next_run(Path());
  SetRegistry(&next_run);
  notices_.Clear();
  look();
  EXPECT_NE(notices_.Text().find(Path() + ".broken.2\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Path() + ".broken.3"));
}

TEST_F(FileStoreTest, BrokenFileWithoutACopyIsNeverWritten) {
  WriteStore("garbage\n");
  // Every name a copy could take is taken.
  std::filesystem::create_directory(Path() + ".broken");
  for (int i = 1; i < 100; ++i) std::filesystem::create_directory(Path() + ".broken." + std::to_string(i));
  EXPECT_EQ(LoadedPort(), 1u);
  EXPECT_NE(Save(), ERROR_SUCCESS);
  EXPECT_EQ(ReadStore(), "garbage\n");
  EXPECT_EQ(notices_.Text(), "Einstellungsdatei " + Path() + " ist besch\xE4" "digt und bleibt unver\xE4"
                           "ndert; keine Kopie m\xF6" "glich: " + std::strerror(EEXIST) + "\n");
}

TEST_F(FileStoreTest, OversizedFileIsBroken) {
  const std::string big = std::string(kStoreHeader) + "\n" + std::string(kMaxStoreBytes, ';');
  WriteStore(big);
  EXPECT_EQ(LoadedPort(), 1u);
  EXPECT_EQ(ReadFile(Path() + ".broken"), big);
  EXPECT_EQ(Save(), ERROR_SUCCESS);
  EXPECT_NE(notices_.Text().find(std::string(kBrokenLine) + Path() + ".broken\n"), std::string::npos)
      << notices_.Text();

  // Nor does the store write a file that big itself.
  const std::string saved = ReadStore();
  RegistryKey key;
  ASSERT_EQ(key.CreateMachine("SOFTWARE\\Big", KEY_ALL_ACCESS), ERROR_SUCCESS);
  const std::vector<std::uint8_t> huge(kMaxStoreBytes / 2);
  ASSERT_EQ(Registry().SetValue(key.Handle(), "V", REG_BINARY, huge.data(), kMaxStoreBytes / 2), ERROR_SUCCESS);
  EXPECT_EQ(key.Close(), ERROR_CANTWRITE);
  EXPECT_EQ(ReadStore(), saved);
}

TEST_F(FileStoreTest, UnreadableStoreIsLeftAlone) {
  std::filesystem::create_directories(Path());  // a directory where the file should be
  EXPECT_EQ(LoadedPort(), 1u);
  EXPECT_EQ(Save(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(std::filesystem::is_directory(Path()));
  std::filesystem::remove(Path());

  ASSERT_EQ(::mkfifo(Path().c_str(), 0600), 0);  // must not hang waiting for a writer
  EXPECT_EQ(LoadedPort(), 1u);
  EXPECT_EQ(Save(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(notices_.Text().empty());
}

// --- atomic saves --------------------------------------------------------------

TEST_F(FileStoreTest, FailureAtAnyStepKeepsTheOldStore) {
  const std::string old_store = OldStore();
  settings_.port = 9;
  int failures = 0;
  for (int fail_at = 0;; ++fail_at) {
    WriteStore(old_store);
    int calls = 0;
    WriteStep failed_step{};
    store_->SetWriteHook([&](WriteStep step) {
      if (calls++ != fail_at) return 0;
      failed_step = step;
      return ENOSPC;
    });
    const long result = Save();
    if (calls <= fail_at) {  // went through without a failure
      EXPECT_EQ(result, ERROR_SUCCESS);
      break;
    }
    ++failures;
    if (failed_step == WriteStep::kSyncDirectory) {
      EXPECT_EQ(result, ERROR_SUCCESS);  // the new file was in place already
      EXPECT_EQ(LoadedPort(), 9u);
    } else {
      EXPECT_EQ(result, ERROR_DISK_FULL) << fail_at;
      EXPECT_EQ(ReadStore(), old_store) << fail_at;
    }
    EXPECT_TRUE(Leftovers().empty()) << fail_at;
  }
  EXPECT_GT(failures, 8);  // several write chunks among the steps
  store_->SetWriteHook({});
  EXPECT_EQ(LoadedPort(), 9u);
  EXPECT_EQ(StoredTree().Find(kSettingsKey)->Find("Ballast")->data.size(), 6000u);
}

TEST_F(FileStoreTest, KilledSaveLeavesOldOrNewStore) {
  const std::string old_store = OldStore();
  settings_.port = 9;
  std::vector<std::string> after_kill;
  std::string new_store;
  for (int kill_at = 0; new_store.empty(); ++kill_at) {
    ASSERT_LT(kill_at, 1000);
    WriteStore(old_store);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int calls = 0;
      store_->SetWriteHook([&](WriteStep) {
        if (calls++ == kill_at) ::raise(SIGKILL);
        return 0;
      });
      ::_exit(Save() == ERROR_SUCCESS ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status)) {
      ASSERT_EQ(WEXITSTATUS(status), 0);
      new_store = ReadStore();
    } else {
      ASSERT_TRUE(WIFSIGNALED(status));
      after_kill.push_back(ReadStore());
    }
  }
  EXPECT_GT(after_kill.size(), 8u);  // several write chunks among the steps
  // Each kill left its temporary file; each later save removed the earlier ones.
  EXPECT_TRUE(Leftovers().empty()) << Leftovers().front();
  ASSERT_NE(new_store, old_store);
  for (std::size_t i = 0; i < after_kill.size(); ++i) {
    EXPECT_TRUE(after_kill[i] == old_store || after_kill[i] == new_store) << "killed at step " << i;
  }
  EXPECT_EQ(LoadedPort(), 9u);
}

TEST_F(FileStoreTest, ASaveRemovesStaleTemporaryFilesOfItsOwnOnly) {
  WriteStore(OldStore());
  const std::vector<std::string> stale = {".settings.reg.a1B2c3", ".settings.reg.ZZZZZZ"};
  const std::vector<std::string> others = {
      ".settings.reg.abc12",   ".settings.reg.abc1234", ".settings.reg.ab-123",
      ".other.reg.a1B2c3",     "settings.reg.a1B2c3",   "notes.txt"};
  for (const std::string& name : stale) WriteFile(Dir() + "/" + name, "half a store");
  for (const std::string& name : others) WriteFile(Dir() + "/" + name, "not ours");
  // One that another process is writing now: it holds the flock on it.
  const std::string busy = Dir() + "/.settings.reg.Wr1t1n";
  WriteFile(busy, "being written");
  const int writer = ::open(busy.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  // A folder of the pattern is no file of ours either.
  std::filesystem::create_directory(Dir() + "/.settings.reg.dir123");

  settings_.port = 7;
  ASSERT_EQ(Save(), ERROR_SUCCESS);
  EXPECT_EQ(LoadedPort(), 7u);
  for (const std::string& name : stale)
    EXPECT_FALSE(std::filesystem::exists(Dir() + "/" + name)) << name;
  for (const std::string& name : others)
    EXPECT_EQ(ReadFile(Dir() + "/" + name), "not ours") << name;
  EXPECT_EQ(ReadFile(busy), "being written");
  EXPECT_TRUE(std::filesystem::is_directory(Dir() + "/.settings.reg.dir123"));
  ::close(writer);
  ASSERT_EQ(Save(), ERROR_SUCCESS);
  EXPECT_FALSE(std::filesystem::exists(busy)) << "left once its writer is gone";
}

TEST_F(FileStoreTest, ReadOnlyDirectoryKeepsTheOldStore) {
  const std::string old_store = OldStore();
  WriteStore(old_store);
  settings_.port = 9;
  if (::geteuid() != 0) {
    std::filesystem::permissions(Dir(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_EQ(LoadedPort(), 2u);
    EXPECT_EQ(Save(), ERROR_ACCESS_DENIED);
    std::filesystem::permissions(Dir(), std::filesystem::perms::owner_all);
  } else {
    // root may write anywhere: run the save as an unprivileged user instead.
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all |
                                           std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                                           std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
    ::chmod(Dir().c_str(), 0755);
    ::chmod(Path().c_str(), 0644);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
      if (LoadedPort() != 2u) ::_exit(4);
      ::_exit(Save() == ERROR_ACCESS_DENIED ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  EXPECT_EQ(ReadStore(), old_store);
  EXPECT_TRUE(Leftovers().empty());

  // A read-only file system reports the same way.
  store_->SetWriteHook([](WriteStep step) { return step == WriteStep::kOpenTemporary ? EROFS : 0; });
  EXPECT_EQ(Save(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadStore(), old_store);
}

TEST_F(FileStoreTest, SaveFollowsALinkAndKeepsPermissions) {
  const std::string target = dir_ + "/elsewhere/real.reg";
  WriteFile(target, OldStore());
  ::chmod(target.c_str(), 0640);
  std::filesystem::create_directories(Dir());
  std::filesystem::create_symlink(target, Path());
  settings_.port = 12;
  EXPECT_EQ(Save(), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::is_symlink(Path()));
  EXPECT_EQ(LoadedPort(), 12u);
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(DefaultStorePath, FollowsXdgConfigHomeThenHome) {
  const char* old_xdg = std::getenv("XDG_CONFIG_HOME");
  const char* old_home = std::getenv("HOME");
  const std::string saved_xdg = old_xdg ? old_xdg : "", saved_home = old_home ? old_home : "";

  ::setenv("XDG_CONFIG_HOME", "/cfg/x", 1);
  EXPECT_EQ(DefaultStorePath(), "/cfg/x/tapix/settings.reg");
  ::setenv("HOME", "/home/q", 1);
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(DefaultStorePath(), "/home/q/.config/tapix/settings.reg");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultStorePath(), "/home/q/.config/tapix/settings.reg");

  old_xdg ? ::setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
  old_home ? ::setenv("HOME", saved_home.c_str(), 1) : ::unsetenv("HOME");
}

}  // namespace
}  // namespace tapix::testing
