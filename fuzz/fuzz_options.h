// The option flags a fuzz input chooses with one byte: bit 0 Checksum, 1
// Waiter3, 2 CreditQuantity, 3 AutoAnswer, 4 AnswerOk, 5 SendRecord; the
// others keep their start values.
#pragma once

#include <cstdint>

#include "protocol/options.h"

namespace tapix::fuzz {

inline OptionFlags OptionsFromBits(std::uint8_t bits) {
  OptionFlags options;
  options.Checksum = bits & 1;
  options.Waiter3 = (bits >> 1) & 1;
  options.CreditQuantity = (bits >> 2) & 1;
  options.AutoAnswer = (bits >> 3) & 1;
  options.AnswerOk = (bits >> 4) & 1;
  options.SendRecord = (bits >> 5) & 1;
  return options;
}

}  // namespace tapix::fuzz
