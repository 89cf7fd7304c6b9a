// The serial ports present on this machine: the one answer to "which ports
// exist", for the window's port list, the port question and --list.
//
// Linux (present_ports_linux.cpp): the numbers of the port map, whose
// devices not named in the settings are those a scan of sysfs found at the
// last RefreshPresentPorts. Windows (present_ports_win32.cpp): the
// registry's list of serial devices (serial_comm.h), port n being COMn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tapix {

struct PresentPort {
  std::uint32_t number = 0;  // the n of COMn
  // The device: Linux, its path (a virtual line: where its peer connects);
  // Windows, the name the system gives it (\Device\Serial0).
  std::string device;
  // What is behind it, where the platform can tell: a USB adapter's maker,
  // product and serial number; "nicht angeschlossen" for a numbered device
  // that is not there now; "virtuelle Leitung". Empty when nothing is known.
  std::string behind;
};

// The ports present, ascending by number (platform file).
std::vector<PresentPort> PresentPorts();

// Looks again which devices are there (platform file). Linux: scans sysfs
// and numbers the devices that the port map has no entry for; Windows:
// nothing (PresentPorts reads the registry's list each time).
void RefreshPresentPorts();

// What the operator sees beside a port's number: the device, and what is
// behind it in parentheses.
std::string PortDetail(const PresentPort& port);

}  // namespace tapix
