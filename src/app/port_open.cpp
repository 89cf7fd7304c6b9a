// Opening the port with its console line, and reselecting it.
#include "app/port_open.h"

#include <string>

namespace tapix {

void OpenAndReport(const PortSettings& settings, std::unique_ptr<SerialDevice>& handle,
                   Console& console) {
  handle = Open(settings);
  if (handle) {
    Logf(console, "CreateFile (COM%u) succeeded\n", settings.port);
    SetPortTimeouts(handle.get());
    return;
  }
  std::string text;
  const int code = GetLastErrorText(text);
  Logf(console, "CreateFile (COM%u) failed with error %d - %s\n", settings.port, code,
       text.c_str());
  const std::string field = RefusedFieldLine(RefusedField(), settings.dcb);
  if (!field.empty()) console.Log(field);
}

void ReselectPort(PortSettings& settings, std::unique_ptr<SerialDevice>& handle,
                  std::uint32_t new_port, Console& console) {
  ClosePort(handle);
  settings.port = new_port;
  OpenAndReport(settings, handle, console);
}

}  // namespace tapix
