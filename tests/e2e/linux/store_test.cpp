// Saving the settings at the end of a run onto a full disk or into a
// read-only folder: the old store stays as it was and the run still ends
// with exit code 0.
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>

#include <optional>
#include <set>

#include "fault_support.h"

namespace tapix::fault {
namespace {

// A file size limit for the next child (RLIMIT_FSIZE is inherited through
// fork and exec, and so is the ignored SIGXFSZ): writes past it fail with
// EFBIG, as on a full disk. The test process gets its own limit back at once.
class ChildFileSizeLimit {
 public:
  explicit ChildFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ChildFileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &old_); }
  ChildFileSizeLimit(const ChildFileSizeLimit&) = delete;
  ChildFileSizeLimit& operator=(const ChildFileSizeLimit&) = delete;

 private:
  rlimit old_{};
};

// Makes a folder read-only for the program: mode 0555, and for root, who
// ignores the mode, the immutable flag. `Works` tells whether a file can
// still be created there.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
    ::chmod(path_.c_str(), 0555);
    if (::geteuid() == 0) SetImmutable(true);
    const std::string probe = path_ + "/probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    works_ = fd < 0;
    if (fd >= 0) {
      ::close(fd);
      ::unlink(probe.c_str());
    }
  }
  ~ReadOnlyFolder() {
    if (immutable_) SetImmutable(false);
    ::chmod(path_.c_str(), 0755);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
  bool Works() const { return works_; }

 private:
  void SetImmutable(bool on) {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
      if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) immutable_ = on;
    }
    ::close(fd);
  }

  std::string path_;
  bool immutable_ = false;
  bool works_ = false;
};

struct Store : ::testing::Test {
  std::string Folder() const { return config.path() + "/tapix"; }
  std::string StoreText() const { return e2e::StoreText(config); }
  std::set<std::string> Files() const {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(Folder(), ec))
      names.insert(e.path().filename().string());
    return names;
  }
  // One run that opens the line, is told to quit and saves on the way out.
  // `file_limit`, when given, is the file size limit of the run.
  int Run(const std::string& argument, std::string* log, std::optional<rlim_t> file_limit = {}) {
    std::vector<std::string> args{"--no-window"};
    if (!argument.empty()) args.push_back(argument);
    std::unique_ptr<TapixProcess> tapix;
    if (file_limit) {
      ChildFileSizeLimit full_disk(*file_limit);
      tapix = std::make_unique<TapixProcess>(args, config.path());
    } else {
      tapix = std::make_unique<TapixProcess>(args, config.path());
    }
    const bool opened = tapix->WaitFor(") succeeded\n") != std::string::npos;
    tapix->Command("quit");
    const int code = tapix->Wait(milliseconds(10000));
    *log = tapix->Log();
    return opened ? code : -2;
  }
  // The first run writes the store that the faulty runs must leave alone.
  void WriteFirstStore() {
    std::string log;
    ASSERT_EQ(Run(pty.path() + ",19200,N,8,1", &log), 0) << log;
    old_store = StoreText();
    old_files = Files();
    ASSERT_NE(old_store.find("19200"), std::string::npos) << old_store;
    opened_first = log.substr(log.find("CreateFile (COM"));
    opened_first = opened_first.substr(0, opened_first.find('\n'));
  }
  // A later run without argument loads what the first one stored.
  void ExpectTheFirstStoreLoads() {
    std::string log;
    EXPECT_EQ(Run("", &log), 0) << log;
    EXPECT_NE(log.find(opened_first), std::string::npos) << log;
    EXPECT_EQ(StoreText(), old_store);
  }

  TempDir config;
  PtyPair pty;
  std::string old_store;
  std::set<std::string> old_files;
  std::string opened_first;
};

TEST_F(Store, FullDiskAtSaveLeavesTheOldStoreAndExitsWithZero) {
  WriteFirstStore();
  ASSERT_FALSE(HasFatalFailure());
  // Nothing fits, a cut in the middle, a cut just before the end.
  for (rlim_t room : {rlim_t{0}, rlim_t{40}, rlim_t{old_store.size() - 3}}) {
    SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
    std::string log;
    EXPECT_EQ(Run(pty.path() + ",4800,N,7,2", &log, room), 0) << log;
    EXPECT_EQ(StoreText(), old_store);
    EXPECT_EQ(Files(), old_files) << "a partial file was left behind";
  }
  ExpectTheFirstStoreLoads();
}

TEST_F(Store, ReadOnlyFolderAtSaveLeavesTheOldStoreAndExitsWithZero) {
  WriteFirstStore();
  ASSERT_FALSE(HasFatalFailure());
  {
    ReadOnlyFolder read_only(Folder());
    if (!read_only.Works()) GTEST_SKIP() << "cannot make a folder read-only here";
    std::string log;
    EXPECT_EQ(Run(pty.path() + ",4800,N,7,2", &log), 0) << log;
    EXPECT_EQ(StoreText(), old_store);
    EXPECT_EQ(Files(), old_files);
  }
  ExpectTheFirstStoreLoads();
}

// A kill in the middle of the save (strace makes the first fsync the run
// makes deliver SIGKILL) leaves the save's temporary file behind; the next
// save removes it, so kills never pile files up.
TEST_F(Store, AKillDuringTheSaveLeavesNoTemporaryFilesForLong) {
  const char* strace = "/usr/bin/strace";
  if (::access(strace, X_OK) != 0) GTEST_SKIP() << "no strace (scripts/setup installs it)";
  const std::string link = config.path() + "/x";
  const auto temporaries = [this] {
    std::size_t n = 0;
    for (const std::string& name : Files()) n += name.rfind(".settings.reg.", 0) == 0;
    return n;
  };
  for (int run = 0; run < 3; ++run) {
    TapixProcess killed(e2e::Program{strace,
                                     {"-qq", "-o", "/dev/null", "-e", "trace=fsync", "-e",
                                      "inject=fsync:signal=SIGKILL:when=1", TAPIX_BINARY}},
                        {"--no-window", "--pty=" + link, "3,19200,N,7,2"},
                        {{"XDG_CONFIG_HOME", config.path()}});
    killed.Command("quit");
    EXPECT_NE(killed.Wait(milliseconds(20000)), 0) << killed.Log();
    EXPECT_EQ(temporaries(), 1u) << "run " << run;
  }
  std::string log;
  EXPECT_EQ(Run(pty.path() + ",19200,N,7,2", &log), 0) << log;
  EXPECT_EQ(temporaries(), 0u);
  EXPECT_NE(StoreText().find("\"Bits\"=\"7\""), std::string::npos) << StoreText();
}

}  // namespace
}  // namespace tapix::fault
