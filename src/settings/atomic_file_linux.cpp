#include "settings/atomic_file_linux.h"

#include <fcntl.h>
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
  std::string temp_name = dir + "/." + BaseOf(target) + ".XXXXXX";
  std::vector<char> name(temp_name.begin(), temp_name.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) return errno;
  temp_name = name.data();
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);

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
    return err;
  }
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
