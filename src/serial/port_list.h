// The port combo box: an empty first entry, then "COM%u" for every present port
// from 1 to 32 in ascending order, and the table that maps an entry back to its
// port number.
#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>

#include "core/panel.h"

namespace tapix {

class PortList {
 public:
  // Binds the combo box of a window and empties the table.
  void Bind(Panel* panel);
  // Fills the freshly bound combo box with the present ports (numbers outside
  // 1..32 are not offered) and selects the wanted port's entry, or none.
  void Fill(std::uint32_t wanted);
  void Fill(std::uint32_t wanted, const std::set<std::uint32_t>& present);
  // Port number of the current selection; 0 for the empty entry or none.
  std::uint32_t SelectedPort() const;
  // Port number at a combo index; 0 below 1 or above 32.
  std::uint32_t PortAt(int index) const;

 private:
  Panel* panel_ = nullptr;
  std::array<std::uint8_t, 32> table_{};
};

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
