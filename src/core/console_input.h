// Standard input as a source of command lines, read without blocking.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tapix {

class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}
  int fd() const { return fd_; }
  // Reads what is there now and calls `line` for every complete line (line end
  // removed, "\r\n" too). Returns false once the input has ended (or failed):
  // the caller stops watching it. A last line without a line end is delivered
  // at the end of input. A line longer than 4096 bytes is
  // dropped whole (it cannot be a command).
  bool ReadAvailable(const std::function<void(std::string_view)>& line);

 private:
  int fd_;
  std::string partial_;
  bool overflow_ = false;
};

}  // namespace tapix
