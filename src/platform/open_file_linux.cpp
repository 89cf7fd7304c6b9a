#include <sys/stat.h>
#include <unistd.h>

#include "platform/open_file.h"
#include "platform/retry_eintr.h"

namespace tapix {

std::int64_t OpenFileSize(std::FILE* file) {
  struct stat st;
  if (::fstat(::fileno(file), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool OpenFileIsRegular(std::FILE* file) {
  struct stat st;
  return ::fstat(::fileno(file), &st) == 0 && S_ISREG(st.st_mode);
}

bool TruncateOpenFile(std::FILE* file, std::int64_t size) {
  return RetryEintr([&] { return ::ftruncate(::fileno(file), static_cast<off_t>(size)); }) == 0;
}

}  // namespace tapix
