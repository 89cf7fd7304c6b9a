// Value data as the registry stores it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tapix::testing {

// REG_SZ data of a text: its bytes and the terminating zero.
inline std::vector<std::uint8_t> Sz(std::string_view text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

}  // namespace tapix::testing
