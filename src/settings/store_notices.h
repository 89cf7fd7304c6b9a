// What the settings store has to tell the operator: a broken store file, a
// line it could not read, a save that was refused or went elsewhere. The
// store never writes to the console itself; it keeps these notices, and the
// program takes them after each load and save and shows them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tapix {

// One notice, a complete line with its line end. Beyond kMaxStoreNotices
// waiting ones, further notices are dropped (nobody is taking them).
void AddStoreNotice(std::string line);

// The same, printf-style.
void AddStoreNoticef(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The notices since the last call, in order.
std::vector<std::string> TakeStoreNotices();

inline constexpr std::size_t kMaxStoreNotices = 64;

}  // namespace tapix
