// The tap's wait on Windows is still to come (two overlapped reads and one
// WaitForMultipleObjects); until then the start refuses --tap.
#include "ui/headless/tap_loop.h"

namespace tapix {

void RunTapLoop(Session& session) { session.quit_requested = true; }

bool TapLoopAvailable() { return false; }

}  // namespace tapix
