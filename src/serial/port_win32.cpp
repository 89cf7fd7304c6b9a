// Port numbers to devices on Windows: port n is the device COMn.
#include <cstdint>
#include <cstdio>

#include "serial/port.h"

namespace tapix {

std::unique_ptr<SerialDevice> OpenPortDevice(std::uint32_t port) {
  // "\\?\COMn" reaches every port; the plain name only those below 10.
  char name[20];
  if (static_cast<std::int32_t>(port) < 10)
    std::snprintf(name, sizeof name, "COM%u", port);
  else
    std::snprintf(name, sizeof name, "\\\\?\\COM%u", port);
  return OpenSerialDevice(name);
}

}  // namespace tapix
