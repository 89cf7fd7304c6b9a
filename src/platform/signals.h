// Ctrl+C and the other stop requests end the loop like "Beenden": the handler
// only marks a stop that the loop waits on, so shutdown runs on the loop's
// thread. Linux: SIGINT, SIGTERM and SIGHUP through a pipe. Windows: Ctrl+C,
// Ctrl+Break and closing the console through an event.
#pragma once

#include "platform/wait_handle.h"

namespace tapix {

// Installs the handlers once; returns what the loop waits on for a stop (the
// pipe's read end, or the event; kNoWaitHandle on failure).
WaitHandle InstallStopSignals();

// Takes the stop mark; true when a stop was requested since the last call.
bool TakeStopSignal();

// True while a stop request waits to be taken, without taking it and without
// a system call on Linux: cheap enough to ask between two queued commands.
bool StopPending();

// Says that shutdown is done (settings saved). Windows: a console that is
// being closed ends the process once its handler returns, so the handler for
// that event waits for this. Nothing on Linux.
void StopSignalsDone();

}  // namespace tapix
