// The port as the operator sees it open and change: every open is reported
// on the console ("CreateFile (COMn) succeeded", or the failure with the
// system's error and the refused setting), and one that works is an event of
// the traffic.
#pragma once

#include <memory>

#include "app/session.h"
#include "serial/port.h"

namespace tapix {

// Opens with the settings into `handle`, reports the result, sets the
// time-outs. `line`: which line the port is in the events (the session's
// port, or the tap's dispenser side).
void OpenAndReport(Session& session, const PortSettings& settings,
                   std::unique_ptr<SerialDevice>& handle, Direction line = Direction::FromPeer);

// Closes the session's port, takes the new port number (0 for the empty
// entry), opens and reports.
void ReselectPort(Session& session, std::uint32_t new_port);

}  // namespace tapix
