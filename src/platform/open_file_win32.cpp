#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "platform/open_file.h"

namespace tapix {

std::int64_t OpenFileSize(std::FILE* file) {
  struct _stat64 st;
  if (::_fstat64(::_fileno(file), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

bool OpenFileIsRegular(std::FILE* file) {
  struct _stat64 st;
  return ::_fstat64(::_fileno(file), &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
}

bool TruncateOpenFile(std::FILE* file, std::int64_t size) {
  return ::_chsize_s(::_fileno(file), size) == 0;
}

}  // namespace tapix
