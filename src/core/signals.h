// Ctrl+C and SIGTERM end the loop like "Beenden": the handler only writes to a
// pipe that the loop watches, so shutdown runs on the loop's thread.
#pragma once

namespace tapix {

// Installs the handlers once; returns the read end of the pipe (-1 on failure).
int InstallStopSignals();

// Drains the pipe; true when a stop signal was seen.
bool TakeStopSignal();

}  // namespace tapix
