// The line protocol: field reductions, message lengths, the check character.
//
// A message is a command character, fixed-width decimal fields and, with the
// Checksum option, one XOR check character. Nothing frames it on the line: the
// receiver knows its length from the first character and the options alone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/options.h"

namespace tapix {

// Reductions of a field value, always on the value taken as unsigned 32-bit.
inline std::uint32_t ReduceWaiter(std::uint32_t v) { return v & 0x7Fu; }     // 3 digits
inline std::uint32_t ReduceWaiter2(std::uint32_t v) { return v % 100u; }     // 2 digits
inline std::uint32_t ReduceRecordWaiter3(std::uint32_t v) { return v % 128u; }
inline std::uint32_t ReducePlu(std::uint32_t v) { return v % 8256u; }        // 4 digits
inline std::uint32_t ReduceQuantity(std::uint32_t v) { return v % 100u; }    // 4 digits
inline std::uint32_t ReduceTable(std::uint32_t v) { return v % 1000u; }      // 3 digits

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

// What the receiver does with a first character.
enum class FirstKind {
  Record,      // digit: a DispenseRecord
  Fields,      // a host message with fields
  Query,       // "E"
  Single,      // "F", "R", "f", "r", "t": logged only
  Unexpected,  // anything else
};

FirstKind Classify(unsigned char first);

// Characters that follow the first one (without the check character) for a
// message with fields or a record, under the given options; 0 for the others.
std::size_t FollowCount(unsigned char first, const OptionFlags& options);

// Formats the dispense record: "%03u%04u%03u" with Waiter3, else "%02u%04u%03u".
// The values are reduced here. `out` must hold 12 bytes.
void FormatRecord(char* out, std::uint32_t waiter, std::uint32_t plu, std::uint32_t table,
                  bool waiter3);

}  // namespace tapix
