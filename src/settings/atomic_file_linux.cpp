#include "settings/atomic_file_linux.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdlib>
#include <vector>

namespace tapix {

namespace {

constexpr std::size_t kChunk = 4096;
constexpr int kMaxCopies = 100;

int Step(const WriteHook& hook, WriteStep step) { return hook ? hook(step) : 0; }

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// mkdir -p with mode 0700 for the directories it makes.
int MakeDirectories(const std::string& dir) {
  struct stat st;
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos < dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  return 0;
}

int WriteAll(int fd, std::string_view bytes, const WriteHook& hook) {
  while (!bytes.empty()) {
    if (int err = Step(hook, WriteStep::kWrite)) return err;
    const std::size_t n = bytes.size() < kChunk ? bytes.size() : kChunk;
    const ssize_t written = ::write(fd, bytes.data(), n);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

void SyncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // Some file systems refuse fsync on a directory; the rename is done by then.
  (void)::fsync(fd);
  ::close(fd);
}

// The file a write to path should replace: the target of a symbolic link.
std::string WriteTarget(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

// The temporary files of a replacement of `base` are "." + base + "." and the
// six letters and digits mkstemp puts in place of "XXXXXX".
constexpr std::string_view kTemporarySuffix = ".XXXXXX";

bool IsTemporaryOf(std::string_view name, const std::string& base) {
  const std::size_t head = 1 + base.size();
  if (name.size() != head + kTemporarySuffix.size() || name[0] != '.' ||
      name.substr(1, base.size()) != base || name[head] != '.') {
    return false;
  }
  for (const char c : name.substr(head + 1)) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) return false;
  }
  return true;
}

// Removes the temporary files that earlier replacements of `base` in `dir`
// left behind (a process killed before its rename). A writer holds a flock on
// its temporary file from its creation to its rename, so a file that is being
// written now is locked and stays; the lock taken here is held while the name
// is checked and removed, so a writer cannot take the file meanwhile.
void RemoveStaleTemporaries(const std::string& dir, const std::string& base) {
  DIR* folder = ::opendir(dir.c_str());
  if (folder == nullptr) return;
  while (const dirent* entry = ::readdir(folder)) {
    if (!IsTemporaryOf(entry->d_name, base)) continue;
    const std::string path = dir + "/" + entry->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened;
    struct stat named;
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
  ::closedir(folder);
}

// A new temporary file for a replacement of `base` in `dir`, locked against
// RemoveStaleTemporaries of other processes; -1 with errno set. The lock is
// waited for: a remover holds it only while it checks and removes a file, and
// a file it removed that way is not used (its name is gone) but made anew.
int MakeTemporary(const std::string& dir, const std::string& base, std::string& name) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    std::string pattern = dir + "/." + base + std::string(kTemporarySuffix);
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    name = buffer.data();
    struct stat opened;
    struct stat named;
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 &&
        ::lstat(name.c_str(), &named) == 0 && named.st_ino == opened.st_ino &&
        named.st_dev == opened.st_dev) {
      return fd;
    }
    ::close(fd);
  }
  errno = EAGAIN;
  return -1;
}

// True when the file at path holds exactly the bytes of the open file in.
bool SameBytes(int in, const std::string& path) {
  const int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (other < 0) return false;
  struct stat a;
  struct stat b;
  bool same = ::fstat(in, &a) == 0 && ::fstat(other, &b) == 0 && S_ISREG(b.st_mode) &&
              a.st_size == b.st_size;
  char x[kChunk];
  char y[kChunk];
  for (off_t offset = 0; same && offset < a.st_size;) {
    const ssize_t n = ::pread(in, x, sizeof x, offset);
    if (n <= 0) {
      same = false;
      break;
    }
    ssize_t got = 0;
    while (got < n) {
      const ssize_t m = ::pread(other, y + got, static_cast<std::size_t>(n - got), offset + got);
      if (m <= 0) break;
      got += m;
    }
    same = got == n && std::memcmp(x, y, static_cast<std::size_t>(n)) == 0;
    offset += n;
  }
  ::close(other);
  return same;
}

}  // namespace

int ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes,
                  FileIdentity& identity) {
  bytes.clear();
  // O_NONBLOCK: a FIFO in the file's place must not stop the program.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return errno;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    return err;
  }
  identity = FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return EINVAL;
  }
  int result = 0;
  char buffer[kChunk];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      result = errno;
      break;
    }
    if (n == 0) break;
    if (bytes.size() + static_cast<std::size_t>(n) > limit) {
      result = EFBIG;
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (result != 0) bytes.clear();
  return result;
}

int ReplaceFile(const std::string& path, std::string_view bytes, const WriteHook& hook) {
  const std::string target = WriteTarget(path);
  const std::string dir = DirectoryOf(target);
  if (int err = Step(hook, WriteStep::kMakeDirectory)) return err;
  if (int err = MakeDirectories(dir)) return err;

  if (int err = Step(hook, WriteStep::kOpenTemporary)) return err;
  const std::string base = BaseOf(target);
  RemoveStaleTemporaries(dir, base);
  std::string temp_name;
  int fd = MakeTemporary(dir, base, temp_name);
  if (fd < 0) return errno;
  // The lock stays with this second descriptor until the file is renamed:
  // the first is closed before the rename, so that its error is seen.
  const int lock = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);

  struct stat old;
  if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

  int err = WriteAll(fd, bytes, hook);
  if (err == 0) err = Step(hook, WriteStep::kSync);
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (err == 0) err = Step(hook, WriteStep::kClose);
  if (err == 0) {
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0) err = errno;
  }
  if (err == 0) err = Step(hook, WriteStep::kRename);
  if (err == 0 && ::rename(temp_name.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    if (fd >= 0) ::close(fd);
    ::unlink(temp_name.c_str());
    if (lock >= 0) ::close(lock);
    return err;
  }
  if (lock >= 0) ::close(lock);
  // The new file is in place; a failure from here on cannot be undone, and
  // the data itself is already on the disk.
  if (Step(hook, WriteStep::kSyncDirectory) == 0) SyncDirectory(dir);
  return 0;
}

int CopyAside(const std::string& path, std::string& copy_path) {
  const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (in < 0) return errno;
  int out = -1;
  std::string name;
  for (int i = 0; i < kMaxCopies && out < 0; ++i) {
    name = path + ".broken";
    if (i > 0) {
      // Appended in two steps: g++ 12 at -O3 takes "." + std::to_string(i)
      // for an overlapping copy (-Wrestrict) and the release build fails.
      name += '.';
      name += std::to_string(i);
    }
    out = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0 && errno == EEXIST && SameBytes(in, name)) {
      // Kept already (by an earlier run that did not get to save).
      ::close(in);
      copy_path = name;
      return 0;
    }
    if (out < 0 && errno != EEXIST) {
      const int err = errno;
      ::close(in);
      return err;
    }
  }
  if (out < 0) {
    ::close(in);
    return EEXIST;
  }
  int err = 0;
  char buffer[kChunk];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    if (n == 0) break;
    err = WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(n)), {});
    if (err != 0) break;
  }
  if (err == 0 && ::fsync(out) != 0) err = errno;
  if (::close(out) != 0 && err == 0) err = errno;
  ::close(in);
  if (err != 0) {
    ::unlink(name.c_str());
    return err;
  }
  SyncDirectory(DirectoryOf(path));
  copy_path = name;
  return 0;
}

}  // namespace tapix
