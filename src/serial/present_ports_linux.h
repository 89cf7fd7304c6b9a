// The Linux side of the present ports (present_ports.h): what sysfs says
// about serial devices. Exposed for the tests and the fuzz targets, which
// point it at folders of their own.
#pragma once

#include <string>
#include <vector>

namespace tapix {

// The serial devices of a sysfs class folder (/sys/class/tty), as paths in
// `dev_dir`, in the order in which they get numbers: the entries that have
// hardware behind them (a `device` link; rfcomm* also without one). ttyS*
// count only with a driver bound and a known UART type (the 8250 driver
// registers placeholders of type 0 for ports that are not there). Order:
// ttyS, ttyAMA, ttyUSB, ttyACM, rfcomm, then any other name by its prefix;
// within a prefix by number (ttyUSB2 before ttyUSB10).
std::vector<std::string> ScanSerialDevices(const std::string& class_dir = "/sys/class/tty",
                                           const std::string& dev_dir = "/dev");

// What is behind a device: for a USB adapter its maker, product and serial
// number as the device reports them ("FTDI FT232R USB UART, Seriennummer
// A50285BI"); "" when nothing is known.
std::string DescribeDevice(const std::string& path,
                           const std::string& sys_class_tty = "/sys/class/tty");

}  // namespace tapix
