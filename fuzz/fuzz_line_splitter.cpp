// Standard input cut into command lines, through the console input on a real pipe,
// written in pieces of any size: the lines do not depend on how the bytes
// were cut (a "\r\n" split between two reads included), hold no line feed,
// are at most kMaxCommandLine + 1 bytes long, and one that fits is the line
// as typed without its "\r".
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console_input.h"

namespace {

std::vector<std::string> AllAtOnce(std::string_view bytes) {
  std::vector<std::string> lines;
  const tapix::LineSink sink = [&lines](std::string_view line) { lines.emplace_back(line); };
  tapix::LineSplitter splitter;
  splitter.Feed(bytes, sink);
  splitter.Finish(sink);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte sets the sizes of the pieces written (1 to 256 bytes).
  const unsigned step = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_NONBLOCK | O_CLOEXEC) != 0) return 0;
  std::vector<std::string> lines;
  tapix::ConsoleInput input(pipe_fds[0]);
  const auto take = [&input, &lines] {
    std::string line;
    tapix::ConsoleInput::Next next;
    while ((next = input.Take(line)) == tapix::ConsoleInput::Next::Line) lines.push_back(line);
    return next;
  };
  std::size_t at = 0;
  for (unsigned piece = 0; at < bytes.size(); ++piece) {
    const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1 + (step * (piece + 1)) % 256);
    if (::write(pipe_fds[1], bytes.data() + at, n) != static_cast<ssize_t>(n)) std::abort();
    at += n;
    input.Gather();
    if (take() == tapix::ConsoleInput::Next::End) std::abort();  // the input has not ended
  }
  ::close(pipe_fds[1]);
  for (int i = 0; input.Open(); ++i) {
    if (i > 1000) std::abort();  // the end must come
    input.Gather();
    take();
  }
  ::close(pipe_fds[0]);

  if (lines != AllAtOnce(bytes)) std::abort();
  // Each line against the bytes as typed.
  std::size_t start = 0;
  for (const std::string& line : lines) {
    if (line.find('\n') != std::string::npos || line.size() > tapix::kMaxCommandLine + 1) std::abort();
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view typed = bytes.substr(start, end - start);
    std::string_view text = typed;  // a whole line loses its "\r"
    if (end < bytes.size() && !text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.size() <= tapix::kMaxCommandLine) {
      if (line != text) std::abort();
    } else if (line != typed.substr(0, tapix::kMaxCommandLine + 1)) {
      std::abort();
    }
    start = end + 1;
  }
  return 0;
}
