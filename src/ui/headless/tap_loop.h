// The wait of the line tap without a window: both ports, the console commands
// (which set the option flags the decoders read) and the stop signals.
#pragma once

#include "app/session.h"

namespace tapix {

// Runs until a stop signal, "quit" or both ports hung up; session.tap must
// be set.
void RunTapLoop(Session& session);

}  // namespace tapix
