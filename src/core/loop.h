// The work of one pass of the polling loop, shared by every front end.
//
// A pass that polls the port clears the line errors, reads one byte, hands it
// to the dispatcher (which reads, logs and answers the whole message) and then
// writes the pending request. The front end decides when a pass runs: after a
// window or console event has been handled, or when the port has input.
#pragma once

#include "core/session.h"

namespace tapix {

// One polling pass with the port open: clear errors, read one byte (within the
// port's read time-outs), dispatch it, then write the pending request.
// Does nothing without an open port.
void PollPass(Session& session);

// Writes the pending request when one waits and a port is open; the slot is
// cleared after the write, complete or not.
void SendPending(Session& session);

}  // namespace tapix
