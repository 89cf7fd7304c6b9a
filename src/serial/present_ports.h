// The serial ports present on this machine, by port number.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace tapix {

// The port numbers present on this machine (platform file). Linux: the
// numbers of the port map. Windows: SerialCommPorts().
std::set<std::uint32_t> PresentPorts();

// The ports the registry's list of serial devices names: the values of
// HKEY_LOCAL_MACHINE "Hardware\DeviceMap\SerialComm" read in order (at
// most 33, names and data of up to 260 bytes; the first failed read ends the
// list), each value's data "COMn" with n from 1 to 32. None when the key
// cannot be opened.
std::set<std::uint32_t> SerialCommPorts();

// The same list with what the system names the device behind each port: the
// value's name (\Device\Serial0, \Device\VCP0), control bytes shown as
// '?'. A port named twice keeps its first device.
std::map<std::uint32_t, std::string> SerialCommDevices();

}  // namespace tapix
