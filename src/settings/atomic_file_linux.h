// Whole-file reads and crash-safe replacement of small files (POSIX).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace tapix {

// Which file a path named when it was read: a file that is replaced or
// changed gets another identity.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::timespec modified{};

  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

// Reads the regular file at path. Returns 0, the errno of the failed call,
// EINVAL when path names something other than a regular file, or EFBIG when
// the file holds more than limit bytes (then bytes is empty). identity is
// filled whenever the file could be opened.
int ReadWholeFile(const std::string& path, std::size_t limit, std::string& bytes,
                  FileIdentity& identity);

// The steps of ReplaceFile, in order. kWrite comes once per chunk written.
enum class WriteStep { kMakeDirectory, kOpenTemporary, kWrite, kSync, kClose, kRename, kSyncDirectory };

// Called before each step; a result other than 0 makes that step fail with
// this errno. Tests use it to play a full disk or a crash at any point.
using WriteHook = std::function<int(WriteStep)>;

// Replaces the file at path by bytes such that path always names either the
// complete old file or the complete new one: the bytes go to a temporary file
// in the same directory, which is synced and renamed over the old file, and
// the directory is synced. A symbolic link at path is followed, so the link
// stays. Missing directories are created (mode 0700); an existing file keeps
// its permission bits. Returns 0, or the errno of the step that failed; then
// the old file is untouched and no temporary file is left behind. Temporary
// files that earlier replacements left (a process killed before its rename:
// "." + name + "." and six letters or digits) are removed first, except one
// that another process is writing now (it holds a flock on it).
int ReplaceFile(const std::string& path, std::string_view bytes, const WriteHook& hook = {});

// Copies the file at path to the first free name of path + ".broken",
// path + ".broken.1", ... (an existing copy is never overwritten; one that
// holds the same bytes already is taken as the copy). Returns 0 with the
// name in copy_path, or an errno.
int CopyAside(const std::string& path, std::string& copy_path);

}  // namespace tapix
