// The serial ports present on this machine, by port number.
#pragma once

#include <cstdint>
#include <set>

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

}  // namespace tapix
