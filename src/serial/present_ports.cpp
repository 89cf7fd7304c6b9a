// How the present ports read to the operator: the same on every platform.
#include "serial/present_ports.h"

namespace tapix {

std::string PortDetail(const PresentPort& port) {
  if (port.behind.empty()) return port.device;
  if (port.device.empty()) return port.behind;
  return port.device + " (" + port.behind + ")";
}

}  // namespace tapix
