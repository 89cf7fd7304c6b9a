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

}  // namespace tapix
