// The receive dispatcher: every byte that arrives while no message is being
// read is the first character of a message.
#pragma once

#include <cstddef>

#include "core/session.h"

namespace tapix {

// Classifies the byte, reads the rest of its message (one read of the length
// the options give), logs it and lets the dispenser answer.
void DispatchByte(Session& session, unsigned char first);

// Verifies (when Checksum is on) and logs a complete text of `length` bytes.
// Returns 1 when good or Checksum is off, 0 on a wrong check character.
int VerifyAndLog(Session& session, const char* text, std::size_t length);

}  // namespace tapix
