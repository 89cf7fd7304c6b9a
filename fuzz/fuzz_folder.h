// A folder of its own for a fuzz target that works on files, made at the
// first call and removed when the fuzzer ends. In memory where it can be
// (/dev/shm is tmpfs): a disk's fsync would set the pace.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace tapix::fuzz {

inline const std::string& FuzzFolder() {
  static std::string folder;
  if (!folder.empty()) return folder;
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path base = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                            ? fs::path("/dev/shm")
                            : fs::temp_directory_path();
  std::string pattern = (base / "tapix-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  folder = pattern;
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  });
  return folder;
}

}  // namespace tapix::fuzz
