// Process-wide option flags and the one outgoing host request.
#pragma once

#include <cstdint>

namespace tapix {

// Seven flags, each 0 or 1, copied from their boxes on every click.
struct OptionFlags {
  std::uint32_t Checksum = 0;
  std::uint32_t Waiter3 = 0;
  std::uint32_t CreditQuantity = 0;
  std::uint32_t AutoAnswer = 1;
  std::uint32_t AnswerOk = 1;
  std::uint32_t AutoQuery = 0;
  std::uint32_t SendRecord = 0;
};

// The single outgoing slot: a zero-terminated text and the flag that says the
// loop has not written it yet.
struct PendingRequest {
  char text[100] = {};
  std::uint32_t SendPending = 0;
};

}  // namespace tapix
