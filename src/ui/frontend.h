// A front end owns the window (or none) and drives the polling loop.
#pragma once

#include <memory>

#include "core/session.h"

namespace tapix {

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // The port selection at start-up when no port number is known: 1 after OK
  // (settings.port holds the choice, 0 when nothing was chosen), 2 on cancel.
  virtual int ChoosePort(Session& session) = 0;

  // Creates the main window (or the headless panel), runs the loop until
  // session.quit_requested, then destroys the window. The port stays as it is:
  // shutdown closes it.
  virtual void Run(Session& session) = 0;
};

// The console front end: the in-memory panel, commands on standard input.
std::unique_ptr<FrontEnd> MakeHeadlessFrontEnd();

// The Win32 dialog; null without a visible desktop (or on other platforms).
std::unique_ptr<FrontEnd> MakeWin32FrontEnd();

// The Qt window; null when Qt cannot open a display (or was not built).
std::unique_ptr<FrontEnd> MakeQtFrontEnd(int& argc, char** argv);

}  // namespace tapix
