// A front end owns the window (or none) and drives the polling loop. The
// program runs one (ui/ has them), chosen at start.
#pragma once

#include "app/session.h"

namespace tapix {

// The answer to the port question.
enum class PortChoice {
  Chosen,     // OK: settings.port holds the choice, 0 when nothing was chosen
  Cancelled,  // cancelled, the input ended or a stop came first: the run ends
};

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // The port selection at start-up when no port number is known.
  virtual PortChoice ChoosePort(Session& session) = 0;

  // Creates the main window (or the headless panel), runs the loop until
  // session.quit_requested, then destroys the window. The port stays as it is:
  // shutdown closes it.
  virtual void Run(Session& session) = 0;
};

}  // namespace tapix
