// The Windows side of the present ports (present_ports.h): the registry's
// list of serial devices, read through the registry backend, so that it is
// built and tested on every platform against a registry in memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace tapix {

// The values of HKEY_LOCAL_MACHINE "Hardware\DeviceMap\SerialComm" read in
// order (at most 33, names and data of up to 260 bytes; the first failed read
// ends the list): each value's data "COMn" with n from 1 to 32 is port n, and
// its name the device behind it (\Device\Serial0, \Device\VCP0), control
// bytes shown as '?'. A port named twice keeps its first device. Empty when
// the key cannot be opened.
std::map<std::uint32_t, std::string> ReadSerialCommList();

}  // namespace tapix
