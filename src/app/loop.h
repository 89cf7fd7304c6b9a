// The work of one pass of the polling loop, shared by every front end.
//
// A pass that polls the port clears the line errors, reads one byte, hands it
// to the dispatcher (which reads, logs and answers the whole message) and then
// writes the pending request. The front end decides when a pass runs: after a
// window or console event has been handled, or when the port has input.
#pragma once

#include "app/session.h"

namespace tapix {

// One polling pass with the port open: clear errors, read one byte (within the
// port's read time-outs), dispatch it, then write the pending request.
// Does nothing without an open port.
void PollPass(Session& session);

// Writes the pending request when one waits and a port is open; the slot is
// cleared after the write, complete or not.
void SendPending(Session& session);

// The pass that follows a window or console event: polls the port only when
// input is already waiting (no waiting here, so the operator's request goes out
// at once), else just writes the pending request.
void PassAfterEvent(Session& session);

// When the open port has hung up (adapter pulled, peer gone): one console line,
// the port closed. Returns true when it closed the port.
bool CheckHangup(Session& session);

// The console line for a port that hung up.
void LogHangup(Console& console, std::uint32_t port);

}  // namespace tapix
