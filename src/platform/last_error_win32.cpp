// The last error on Windows: GetLastError and FormatMessageA's texts.
#include "platform/last_error.h"

#include <windows.h>

namespace tapix {

int GetLastErrorCode() { return static_cast<int>(::GetLastError()); }

void SetLastErrorCode(int code) { ::SetLastError(static_cast<DWORD>(code)); }

int GetLastErrorText(std::string& text) {
  const DWORD code = ::GetLastError();
  char* message = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&message), 0, nullptr);
  text.assign(message != nullptr ? message : "", message != nullptr ? length : 0);
  if (message != nullptr) ::LocalFree(message);
  // The system's text ends with "\r\n"; the log's lines end with "\n" alone.
  if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.erase(text.size() - 2, 1);
  return static_cast<int>(code);
}

}  // namespace tapix
