// Present ports by number alone, for tests of the lists that offer them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "serial/present_ports.h"

namespace tapix::testing {

inline std::vector<PresentPort> NumberedPorts(std::initializer_list<std::uint32_t> numbers) {
  std::vector<PresentPort> ports;
  for (std::uint32_t n : numbers) ports.push_back({n, {}, {}});
  return ports;
}

}  // namespace tapix::testing
