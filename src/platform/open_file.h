// Size and length of a file open as a C stream, for the log file: after a
// failed write it is cut back to its last whole line; only a regular file is
// rotated.
#pragma once

#include <cstdint>
#include <cstdio>

namespace tapix {

// The file's size in bytes now; -1 when it cannot be told.
std::int64_t OpenFileSize(std::FILE* file);

// True when the file is a regular file (not a device, a pipe or a folder).
bool OpenFileIsRegular(std::FILE* file);

// Cuts the file to `size` bytes; false when that fails.
bool TruncateOpenFile(std::FILE* file, std::int64_t size);

}  // namespace tapix
