// The present ports on Windows: the registry's list of serial devices. Port n
// is the device COMn, so the port map has nothing to number here: it stays
// empty, and two paths are one device only when they are the same text.
#include "serial/port_map.h"
#include "serial/present_ports.h"
#include "serial/serial_comm.h"

namespace tapix {

std::vector<PresentPort> PresentPorts() {
  std::vector<PresentPort> present;
  for (const auto& [number, device] : ReadSerialCommList()) present.push_back({number, device, {}});
  return present;
}

void RefreshPresentPorts() {}

bool SameDevice(const std::string& a, const std::string& b) { return a == b; }

bool DeviceGoneForGood(const std::string&) { return false; }

}  // namespace tapix
