// The ports a combo box offers (the main window's and the port question's):
// an empty first entry, then "COM%u" for every present port from 1 to 32 in
// ascending order, and the table that maps an entry back to its port number.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/panel.h"
#include "serial/present_ports.h"

namespace tapix {

class PortChoices {
 public:
  // Binds the combo box of a window and empties the table.
  void Bind(Panel* panel);
  // Fills the freshly bound combo box with the present ports (numbers outside
  // 1..32 are not offered), each with its device beside it, and selects the
  // wanted port's entry, or none.
  void Fill(std::uint32_t wanted);
  void Fill(std::uint32_t wanted, const std::vector<PresentPort>& present);
  // Port number of the current selection; 0 for the empty entry or none.
  std::uint32_t SelectedPort() const;
  // Port number at a combo index; 0 below 1 or above 32.
  std::uint32_t PortAt(int index) const;

 private:
  Panel* panel_ = nullptr;
  std::array<std::uint8_t, 32> table_{};
};

}  // namespace tapix
