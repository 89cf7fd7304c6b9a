// The check character: the XOR of a message's characters, sent after them
// when the Checksum option is on.
#pragma once

#include <cstddef>

namespace tapix {

// The longest text the check-character append covers.
inline constexpr std::size_t kCheckSpan = 98;

// Appends the XOR check character over at most the first 98 characters of the
// zero-terminated text and ends the text after it. The buffer must hold at
// least min(strlen, 98) + 2 bytes. A check character of 0 ends the text where
// it stands, so it never goes out.
void AppendCheck(char* text);

// The check of a received text (check character included): the XOR of
// positions 0..L-2 (only position 0 when L <= 2) against position L-1, where
// L is the length up to the first 0 byte. A text of one character never
// verifies. `expected` receives the XOR result.
bool VerifyCheck(const char* text, char* expected);

}  // namespace tapix
