// The receive dispatcher: every byte that arrives while no message is being
// read is the first character of a message.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "app/session.h"

namespace tapix {

// Classifies the byte, reads the rest of its message (one read of the length
// the options give), logs it and lets the dispenser answer.
void DispatchByte(Session& session, unsigned char first);

// Verifies (when Checksum is on) and logs a complete text of `length` bytes.
// Returns 1 when good or Checksum is off, 0 on a wrong check character.
int VerifyAndLog(Session& session, const char* text, std::size_t length);

// The log line of a received message: read whole ("%s\n", or with
// " Fehler Chksumme (%c)" when `checksum` and the check character is wrong;
// `good` then receives 0) or cut short ("%s timeout\n"). Every byte of the
// text stays in the line, a 0 byte included.
std::string MessageLine(std::string_view text, bool complete, bool checksum, int* good = nullptr);

// The line of a first character that no fields follow: "E", the answers and
// unexpected bytes ("%c (%02X) unerwartet\n").
std::string FirstCharacterLine(unsigned char first);

}  // namespace tapix
