#include "app/panel.h"

#include <cctype>
#include <cstdint>
#include <limits>

namespace tapix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Parses blanks, an optional sign (when allowed), digits, blanks. Returns false
// for anything else, an empty digit run, or a value beyond `limit`.
bool ParseNumber(const std::string& text, bool allow_sign, bool* negative,
                 std::uint64_t limit, std::uint64_t* value) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  *negative = false;
  if (allow_sign && i < text.size() && (text[i] == '-' || text[i] == '+')) {
    *negative = text[i] == '-';
    ++i;
  }
  std::uint64_t v = 0;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    v = v * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (v > limit) return false;
    ++i;
    ++digits;
  }
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (digits == 0 || i != text.size()) return false;
  *value = v;
  return true;
}

}  // namespace

std::int32_t ReadSignedField(const Panel& panel, int id) {
  bool negative = false;
  std::uint64_t v = 0;
  // The magnitude may reach 2^31 only for a negative number.
  if (!ParseNumber(panel.FieldText(id), true, &negative, 2147483648ull, &v)) return 0;
  if (!negative && v > 2147483647ull) return 0;
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(v))
                  : static_cast<std::int32_t>(v);
}

std::uint32_t ReadUnsignedField(const Panel& panel, int id) {
  bool negative = false;
  std::uint64_t v = 0;
  if (!ParseNumber(panel.FieldText(id), false, &negative, 4294967295ull, &v)) return 0;
  return static_cast<std::uint32_t>(v);
}

}  // namespace tapix
