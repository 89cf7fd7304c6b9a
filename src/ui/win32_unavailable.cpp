// Not a Windows build: there is no Win32 dialog; the Qt window or the console
// front end runs.
#include "ui/front_ends.h"

namespace tapix {

std::unique_ptr<FrontEnd> MakeWin32FrontEnd() { return nullptr; }

}  // namespace tapix
