// What a message says, read from the message table: its kind and its fields
// by name, and its bytes in hex. The explaining log lines and the trace file
// both read messages through here, so they never disagree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/messages.h"
#include "protocol/options.h"

namespace tapix {

// One field as the text holds it.
struct FieldReading {
  const FieldSpec* spec;
  std::string digits;                   // the characters of the field, as they came
  std::optional<std::uint32_t> value;   // their number; none when they are not all digits
};

// The fields of `text` (a message of kind `message`, its first character
// included) in message order, each at the width `options` give it; a field
// the options leave out is skipped, and a field the text does not hold whole
// (a message cut short) ends the list.
std::vector<FieldReading> ReadFields(const MessageSpec& message, std::string_view text,
                                     const OptionFlags& options);

// The meaning in German (code page 1252): the kind's short name, then its
// fields by name ("Kellnerfreigabe: Kellner 5", "Tischfreigabe/-sperre:
// Kellner 5, Tisch 7, Freigabe ja"); a field that is not all digits shows its
// characters in quotes, and a message cut short says "abgebrochen".
std::string Meaning(const MessageSpec& message, std::string_view text, const OptionFlags& options,
                    bool complete);

// Every byte as two upper-case hex digits, separated by blanks ("41 30 30 35").
std::string HexBytes(std::string_view bytes);

}  // namespace tapix
