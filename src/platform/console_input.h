// Command lines from standard input.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tapix {

// The longest command line; commands are far shorter.
inline constexpr std::size_t kMaxCommandLine = 4096;

using LineSink = std::function<void(std::string_view)>;

// Cuts a byte stream into command lines: the line end is removed ("\r\n"
// too); a line longer than kMaxCommandLine bytes is delivered cut to
// kMaxCommandLine + 1 bytes, so the reader of the line can tell it is too
// long.
class LineSplitter {
 public:
  void Feed(std::string_view bytes, const LineSink& line);
  // The end of input: a last line without a line end still counts.
  void Finish(const LineSink& line);

 private:
  std::string partial_;
};

// Standard input (or another descriptor) read without blocking (Linux).
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}
  int fd() const { return fd_; }
  // Reads what is there now and calls `line` for every complete line.
  // Returns false once the input has ended (or failed): the caller stops
  // watching it; a last unterminated line is delivered then.
  bool ReadAvailable(const LineSink& line);

 private:
  int fd_;
  LineSplitter splitter_;
};

}  // namespace tapix
