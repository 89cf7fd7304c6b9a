#include "protocol/meaning.h"

namespace tapix {

std::vector<FieldReading> ReadFields(const MessageSpec& message, std::string_view text,
                                     const OptionFlags& options) {
  std::vector<FieldReading> fields;
  // The record's first digit belongs to its first field.
  std::size_t at = message.first != 0 ? 1 : 0;
  for (const FieldSpec& field : message.Fields()) {
    const std::size_t width = field.FormUnder(options).width;
    if (width == 0) continue;
    if (at + width > text.size()) break;
    FieldReading reading{&field, std::string(text.substr(at, width)), std::nullopt};
    std::uint32_t value = 0;
    bool digits = true;
    for (const char c : reading.digits) {
      if (c < '0' || c > '9') digits = false;
      else value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (digits) reading.value = value;
    fields.push_back(std::move(reading));
    at += width;
  }
  return fields;
}

std::string Meaning(const MessageSpec& message, std::string_view text, const OptionFlags& options,
                    bool complete) {
  std::string meaning = message.name;
  const char* separator = ": ";
  for (const FieldReading& field : ReadFields(message, text, options)) {
    meaning += separator;
    separator = ", ";
    meaning += field.spec->name;
    // Appended piece by piece (GCC 12 at -O3 warns wrongly of an overlap in
    // a chain of operator+ on a temporary).
    if (!field.value) {
      meaning.append(" \"").append(field.digits).append("\"");
    } else if (field.spec->IsFlag()) {
      meaning += *field.value != 0 ? " ja" : " nein";
    } else {
      meaning.append(" ").append(std::to_string(*field.value));
    }
  }
  if (!complete) meaning += " (abgebrochen)";
  return meaning;
}

std::string HexBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (!hex.empty()) hex += ' ';
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0xF];
  }
  return hex;
}

}  // namespace tapix
