// The platform's last error, kept per thread like GetLastError (errno on
// Linux), and the system's text for it.
#pragma once

#include <string>

namespace tapix {

int GetLastErrorCode();
void SetLastErrorCode(int code);

// The last error code and the system's text for it, ending with its own line
// end ("" for a code the system has no text for).
int GetLastErrorText(std::string& text);

}  // namespace tapix
