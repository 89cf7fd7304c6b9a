#include "protocol/messages.h"

#include <cstring>

#include "protocol/check.h"

namespace tapix {
namespace {

// The longest text any row can make, its check character included: Compose's
// buffer holds it.
constexpr std::size_t LongestText() {
  std::size_t longest = 0;
  for (const MessageSpec& message : kMessages) {
    std::size_t length = (message.first != 0 ? 1 : 0) + (message.check ? 1 : 0);
    for (const FieldSpec& field : message.Fields()) {
      length += field.off.width > field.on.width ? field.off.width : field.on.width;
    }
    if (length > longest) longest = length;
  }
  return longest;
}
static_assert(LongestText() == kLongestMessage);

}  // namespace

std::uint32_t Reduce(std::uint32_t value, Reduction reduction) {
  switch (reduction) {
    case Reduction::Low7Bits: return value & 0x7Fu;  // a bit mask, not a remainder
    case Reduction::Mod100: return value % 100u;
    case Reduction::Mod128: return value % 128u;
    case Reduction::Mod1000: return value % 1000u;
    case Reduction::Mod8256: return value % 8256u;  // 0x2040
    case Reduction::Flag: return value != 0 ? 1u : 0u;
  }
  return 0;
}

const MessageSpec* MessageStartedBy(unsigned char first) {
  if (first >= '0' && first <= '9') return &MessageOf(Kind::Record);
  for (const MessageSpec& message : kMessages) {
    if (message.first != 0 && static_cast<unsigned char>(message.first) == first) return &message;
  }
  return nullptr;
}

const MessageSpec* MessageOfButton(int id) {
  for (const MessageSpec& message : kMessages) {
    if (message.button != 0 && message.button == id) return &message;
  }
  return nullptr;
}

std::size_t FollowCount(const MessageSpec& message, const OptionFlags& options) {
  std::size_t digits = 0;
  for (const FieldSpec& field : message.Fields()) digits += field.FormUnder(options).width;
  // The record has no letter: its first character is its first digit.
  if (message.first == 0 && digits > 0) --digits;
  return digits;
}

std::size_t RestLength(const MessageSpec& message, const OptionFlags& options, bool checksum) {
  return FollowCount(message, options) + (checksum && message.check ? 1 : 0);
}

std::string Compose(const MessageSpec& message, const FieldValues& values,
                    const OptionFlags& options, bool check) {
  char text[kLongestMessage + 1] = {};
  std::size_t length = 0;
  if (message.first != 0) text[length++] = message.first;
  const auto fields = message.Fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldForm form = fields[i].FormUnder(options);
    if (form.width == 0) continue;
    // Zero-padded to the width, most significant digit first; every
    // reduction fits its width.
    std::uint32_t value = Reduce(values[i], form.reduction);
    for (std::size_t digit = form.width; digit-- > 0; value /= 10) {
      text[length + digit] = static_cast<char>('0' + value % 10);
    }
    length += form.width;
  }
  if (check && message.check) AppendCheck(text);
  return std::string(text, std::strlen(text));
}

}  // namespace tapix
