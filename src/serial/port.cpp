// Open, close, time-outs and the refused-field text: the same on every platform.
#include "serial/port.h"

#include <cstdio>

namespace tapix {

namespace {
thread_local LineField refused_field = LineField::None;

char ParityLetter(std::uint8_t code) {
  static const char kLetters[] = "NOEMS";
  return code < 5 ? kLetters[code] : '?';
}
}  // namespace

LineField RefusedField() { return refused_field; }
void SetRefusedField(LineField field) { refused_field = field; }

std::string RefusedFieldLine(LineField field, const DCB& dcb) {
  char line[96];
  constexpr const char* kHead = "Vom Ger\xE4t abgelehnt: ";
  switch (field) {
    case LineField::None:
      return {};
    case LineField::Rate:
      std::snprintf(line, sizeof line, "%sBaud-Rate %u\n", kHead, static_cast<unsigned>(dcb.BaudRate));
      break;
    case LineField::DataBits:
      std::snprintf(line, sizeof line, "%sDaten-Bits %u\n", kHead, static_cast<unsigned>(dcb.ByteSize));
      break;
    case LineField::Parity:
      std::snprintf(line, sizeof line, "%sParity %c\n", kHead, ParityLetter(dcb.Parity));
      break;
    case LineField::StopBits:
      if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) {
        std::snprintf(line, sizeof line, "%sStop-Bits 1.5 (nur mit 5 Daten-Bits)\n", kHead);
      } else {
        const char* text = dcb.StopBits == ONESTOPBIT     ? "1"
                           : dcb.StopBits == ONE5STOPBITS ? "1.5"
                           : dcb.StopBits == TWOSTOPBITS  ? "2"
                                                          : "?";
        std::snprintf(line, sizeof line, "%sStop-Bits %s\n", kHead, text);
      }
      break;
  }
  return line;
}

std::unique_ptr<SerialDevice> OpenPort(std::uint32_t port, const DCB& dcb) {
  SetRefusedField(LineField::None);
  std::unique_ptr<SerialDevice> device = OpenPortDevice(port);
  if (!device) return nullptr;
  if (!device->SetState(dcb)) {
    const int code = GetLastErrorCode();
    device.reset();
    SetLastErrorCode(code);  // the close must not hide why the open failed
    return nullptr;
  }
  return device;
}

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

}  // namespace tapix
