// Port numbers to devices on Linux: the port map names the device, or the
// virtual line of this run.
#include <cerrno>

#include "serial/port.h"
#include "serial/port_map.h"
#include "serial/virtual_line.h"

namespace tapix {

std::unique_ptr<SerialDevice> OpenPortDevice(std::uint32_t port) {
  const std::string path = ProcessPortMap().DevicePath(port);
  if (path.empty()) {
    SetLastErrorCode(ENOENT);
    return nullptr;
  }
  return IsVirtualLinePath(path) ? OpenVirtualLine(path) : OpenSerialDevice(path);
}

}  // namespace tapix
