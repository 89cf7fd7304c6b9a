// Present ports on Windows: the registry's list of serial devices. Port n is
// the device COMn, so the port map of device paths has nothing to number
// here: it stays empty.
#include "serial/present_ports.h"
#include "serial/port_map.h"

namespace tapix {

std::set<std::uint32_t> PresentPorts() { return SerialCommPorts(); }

std::vector<std::string> EnumerateSerialDevices() { return {}; }

bool SameDevice(const std::string& a, const std::string& b) { return a == b; }

bool DeviceGoneForGood(const std::string&) { return false; }

}  // namespace tapix
