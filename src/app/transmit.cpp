#include "app/transmit.h"

#include <string>

namespace tapix {

void WriteWithEcho(LineOut out, std::string_view text) {
  std::size_t written = 0;
  out.console.Mark(LogClock::now());
  if (out.port) written = out.port->Write(text.data(), text.size());
  if (written > text.size()) written = text.size();
  if (written > 0) out.console.Sent(text.substr(0, written), {});
  for (std::size_t i = 0; i < written; ++i) out.console.Echo(text[i]);
  if (written == text.size()) {
    out.console.Echo('\n');
    return;
  }
  // On a terminal that shows the log too this continues the echo's line and
  // ends it; without one, standard output and the log file get it as a line
  // of its own.
  out.console.Log(" timeout (" + std::string(text) + ")\n");
}

}  // namespace tapix
