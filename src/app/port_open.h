// The port as the operator sees it open and change: every open is reported
// on the console ("CreateFile (COMn) succeeded", or the failure with the
// system's error and the refused setting).
#pragma once

#include <memory>

#include "log/console.h"
#include "serial/port.h"

namespace tapix {

// Open with the settings, store the result, print the console line, set the
// time-outs.
void OpenAndReport(const PortSettings& settings, std::unique_ptr<SerialDevice>& handle,
                   Console& console);

// Close the open port, take the new port number (0 for the empty entry), open
// and report.
void ReselectPort(PortSettings& settings, std::unique_ptr<SerialDevice>& handle,
                  std::uint32_t new_port, Console& console);

}  // namespace tapix
