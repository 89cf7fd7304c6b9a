#include "app/transmit.h"

#include <cstring>

#include "app/control_ids.h"

namespace tapix {

bool ChecksumBoxTicked(const Session& session) {
  if (session.window) return session.window->IsChecked(ctl::Checksum);
  return session.options.Checksum != 0;
}

void WriteWithEcho(Session& session, const char* text) {
  const std::size_t len = std::strlen(text);
  std::size_t written = 0;
  session.console->Mark(LogClock::now());
  if (session.port) written = session.port->Write(text, len);
  if (written > len) written = len;
  if (written > 0) session.console->Sent(std::string_view(text, written), {});
  for (std::size_t i = 0; i < written; ++i) session.console->Echo(text[i]);
  if (written < len) Logf(*session.console, " timeout (%s)", text);
  session.console->Echo('\n');
}

}  // namespace tapix
