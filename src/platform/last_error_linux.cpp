// The last error on Linux: a per-thread copy of errno, and strerror's texts.
#include <cstring>

#include "platform/last_error.h"

namespace tapix {

namespace {
thread_local int last_error = 0;
}  // namespace

int GetLastErrorCode() { return last_error; }

void SetLastErrorCode(int code) { last_error = code; }

int GetLastErrorText(std::string& text) {
  const int code = last_error;
  // strerrordesc_np knows which codes have a text (strerror would invent
  // "Unknown error n"); the text shown is the one of the current locale.
  if (::strerrordesc_np(code) == nullptr) {
    text.clear();
  } else {
    char buffer[256];
    text = ::strerror_r(code, buffer, sizeof buffer);
    text += '\n';  // the system's texts end with their own line end
  }
  return code;
}

}  // namespace tapix
