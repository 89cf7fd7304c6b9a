// Opening the port with its console line, and reselecting it.
#include "app/port_open.h"

#include <string>

#include "app/loop.h"

namespace tapix {

void OpenAndReport(Session& session, const PortSettings& settings,
                   std::unique_ptr<SerialDevice>& handle, Direction line) {
  handle = Open(settings);
  if (handle) {
    TrafficEvent opened;
    opened.kind = TrafficKind::Opened;
    opened.port = settings.port;
    opened.when = ByteTime::Now();
    opened.direction = line;
    SetPortTimeouts(handle.get());
    Publish(session, opened);
    return;
  }
  Console& console = *session.console;
  std::string text;
  const int code = GetLastErrorText(text);
  Logf(console, "CreateFile (COM%u) failed with error %d - %s\n", settings.port, code,
       text.c_str());
  const std::string field = RefusedFieldLine(RefusedField(), settings.dcb);
  if (!field.empty()) console.Log(field);
}

void ReselectPort(Session& session, std::uint32_t new_port) {
  CloseSessionPort(session);
  session.settings.port = new_port;
  OpenAndReport(session, session.settings, session.port);
}

}  // namespace tapix
