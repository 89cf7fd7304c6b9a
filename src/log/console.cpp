#include "log/console.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace tapix {

void Logf(Console& console, const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n < 0) {
    va_end(again);
    return;
  }
  if (static_cast<std::size_t>(n) < sizeof small) {
    va_end(again);
    // The length comes from vsnprintf, not strlen: a "%c" of 0 stays in the line.
    console.Log(std::string_view(small, static_cast<std::size_t>(n)));
    return;
  }
  std::vector<char> big(static_cast<std::size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), format, again);
  va_end(again);
  console.Log(std::string_view(big.data(), static_cast<std::size_t>(n)));
}

void StdConsole::Log(std::string_view text) {
  if (batches_ > 0) {
    held_.append(text);
    return;
  }
  out_.Write(text);
}

void StdConsole::Echo(char byte) {
  WriteHeld();
  out_.Echo(byte);
}

void StdConsole::EndBatch() {
  if (batches_ > 0 && --batches_ == 0) WriteHeld();
}

void StdConsole::WriteHeld() {
  if (held_.empty()) return;
  out_.Write(held_);
  held_.clear();
}

}  // namespace tapix
