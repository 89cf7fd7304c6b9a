// The work of the loop around the port, shared by every front end.
//
// When the port has input, the loop reads what is waiting in one call and
// hands it to the receiver, which answers and logs each message it ends (a
// message still arriving waits for more, or for its deadline); then the
// pending request is written, unless a message is half read. The front end
// decides when this runs: after a window or console event, or when the port
// has input.
#pragma once

#include <chrono>

#include "app/session.h"

namespace tapix {

// Clears the line errors, reads what is waiting on the port (never waiting
// for more) and hands it to the receiver, then writes the pending request.
// Does nothing without an open port.
void ReadPort(Session& session);

// Writes the pending request when one waits, a port is open and no message
// is half read (a request never goes out between the first byte of a
// message and its end or cut); the slot is cleared after the write,
// complete or not.
void SendPending(Session& session);

// The deadline of the message being read, once it has passed by `now`: what
// waits on the port is read first (the loop may not have looked since, with
// a modal dialog open, say), and only a message still short then is cut;
// then the request that waited for its end goes out.
void ExpireMessage(Session& session, std::chrono::steady_clock::time_point now);

// The pass that follows a window or console event: reads the port only when
// input is already waiting (no waiting here, so the operator's request goes
// out at once), else just writes the pending request.
void PassAfterEvent(Session& session);

// When the open port has hung up (adapter pulled, peer gone): the message
// being read is cut, then one console line, the port closed. Returns true
// when it closed the port.
bool CheckHangup(Session& session);

// Closes the session's port; the message being read is cut (answered and
// logged as any cut message) before it closes.
void CloseSessionPort(Session& session);

// The event of port `port` hanging up, on the line `direction` names.
TrafficEvent HangupEvent(std::uint32_t port, Direction direction);

}  // namespace tapix
