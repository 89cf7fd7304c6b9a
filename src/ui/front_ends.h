// The front ends the program can run: the console, the Win32 dialog and the
// Qt window. Those not built for this platform answer null.
#pragma once

#include <memory>

#include "app/front_end.h"

namespace tapix {

// The console front end: the in-memory panel, commands on standard input.
std::unique_ptr<FrontEnd> MakeHeadlessFrontEnd();

// The Win32 dialog; null without a visible desktop (or on other platforms).
std::unique_ptr<FrontEnd> MakeWin32FrontEnd();

// The Qt window; null when Qt cannot open a display (or was not built).
std::unique_ptr<FrontEnd> MakeQtFrontEnd(int& argc, char** argv);

}  // namespace tapix
