// Port numbers to devices, and the system's error texts, on Linux.
#include <cerrno>
#include <cstring>

#include "serial/port.h"
#include "serial/port_map.h"
#include "serial/posix_device.h"
#include "serial/virtual_line.h"

namespace tapix {

namespace {
thread_local int last_error = 0;
}  // namespace

int GetLastErrorCode() { return last_error; }

void SetLastErrorCode(int code) { last_error = code; }

int GetLastErrorText(std::string& text) {
  const int code = last_error;
  // strerrordesc_np knows which codes have a text (strerror would invent
  // "Unknown error n"); the text shown is the one of the current locale.
  if (::strerrordesc_np(code) == nullptr) {
    text.clear();
  } else {
    char buffer[256];
    text = ::strerror_r(code, buffer, sizeof buffer);
    text += '\n';  // the system's texts end with their own line end
  }
  return code;
}

std::unique_ptr<SerialDevice> OpenPort(std::uint32_t port, const DCB& dcb) {
  SetRefusedField(LineField::None);
  const std::string path = Ports().DevicePath(port);
  if (path.empty()) {
    SetLastErrorCode(ENOENT);
    return nullptr;
  }
  std::unique_ptr<SerialDevice> device;
  if (IsVirtualLinePath(path))
    device = OpenVirtualLine(path);
  else
    device = PosixDevice::Open(path);
  if (!device) return nullptr;
  if (!device->SetState(dcb)) {
    const int code = GetLastErrorCode();
    device.reset();
    SetLastErrorCode(code);  // the close must not hide why the open failed
    return nullptr;
  }
  return device;
}

}  // namespace tapix
