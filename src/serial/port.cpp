// Open, report, reselect and time-outs: the same on every platform.
#include "serial/port.h"

namespace tapix {

std::unique_ptr<SerialDevice> Open(const PortSettings& settings) {
  return OpenPort(settings.port, settings.dcb);
}

void ClosePort(std::unique_ptr<SerialDevice>& handle) { handle.reset(); }

void SetPortTimeouts(SerialDevice* handle) {
  if (handle == nullptr) return;
  CommTimeouts t = handle->GetTimeouts();
  t.ReadIntervalTimeout = 100;
  t.ReadTotalTimeoutMultiplier = 100;
  t.WriteTotalTimeoutMultiplier = 100;
  handle->SetTimeouts(t);
}

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
}

void ReselectPort(PortSettings& settings, std::unique_ptr<SerialDevice>& handle,
                  std::uint32_t new_port, Console& console) {
  ClosePort(handle);
  settings.port = new_port;
  OpenAndReport(settings, handle, console);
}

}  // namespace tapix
