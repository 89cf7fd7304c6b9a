// Writing a text to the port with the console echo of what went out.
#pragma once

#include <string_view>

#include "log/console.h"
#include "serial/serial_device.h"

namespace tapix {

// Where this side's writes go: the open port (null while none is open) and
// the console that shows them.
struct LineOut {
  SerialDevice* port;
  Console& console;
};

// Writes the text with one write and echoes each byte written straight to the
// console. A whole write ends the echo with a line feed; a short one gets the
// log line " timeout (%s)" with the whole text, ending in its own line feed,
// so the log never depends on the echo. Without an open port nothing goes out
// and the text counts as a short write.
void WriteWithEcho(LineOut out, std::string_view text);

}  // namespace tapix
