// Standard input as a source of command lines, read without blocking.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tapix {

// The longest command line; commands are far shorter.
inline constexpr std::size_t kMaxCommandLine = 4096;

class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}
  int fd() const { return fd_; }
  // Reads what is there now and calls `line` for every complete line (line end
  // removed, "\r\n" too). Returns false once the input has ended (or failed):
  // the caller stops watching it. A last line without a line end is delivered
  // at the end of input. A line longer than kMaxCommandLine
  // bytes is delivered cut to kMaxCommandLine + 1 bytes, so the reader of the
  // line can tell it is too long.
  bool ReadAvailable(const std::function<void(std::string_view)>& line);

 private:
  int fd_;
  std::string partial_;
  bool overflow_ = false;
};

}  // namespace tapix
