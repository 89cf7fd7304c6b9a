// Start-up of the line tap: the second port, opened with the first one's
// line settings, and the tap over both.
#pragma once

#include <memory>
#include <string>

#include "app/session.h"
#include "app/tap.h"

namespace tapix {

// The port number of the tap's second port: a number ("2", "COM2") or a
// device path; 0 when it names none.
std::uint32_t TapPortNumber(const std::string& second);

// Opens the second port and reports it like the first, then moves the open
// first port into the tap. Null (after a console line saying why) when either
// port is not open.
std::unique_ptr<Tap> StartTap(Session& session, const std::string& second, bool forward);

}  // namespace tapix
