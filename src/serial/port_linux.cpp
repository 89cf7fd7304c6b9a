// Port numbers to devices on Linux: the port map names the device.
#include <cerrno>

#include "serial/port.h"
#include "serial/port_map.h"
#include "serial/posix_device.h"
#include "serial/virtual_line.h"

namespace tapix {

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
