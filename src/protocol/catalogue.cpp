#include "protocol/catalogue.h"

#include <cstdio>
#include <cstring>

namespace tapix {

void AppendCheck(char* text) {
  std::size_t len = std::strlen(text);
  if (len == 0) return;  // nothing to cover; never reached by the catalogue
  std::size_t span = len < kCheckSpan ? len : kCheckSpan;
  unsigned char check = static_cast<unsigned char>(text[0]);
  for (std::size_t i = 1; i < span; ++i) check ^= static_cast<unsigned char>(text[i]);
  text[span] = static_cast<char>(check);
  text[span + 1] = '\0';
}

bool VerifyCheck(const char* text, char* expected) {
  const std::size_t len = std::strlen(text);
  unsigned char check = static_cast<unsigned char>(text[0]);
  for (std::size_t i = 1; i + 1 < len; ++i) check ^= static_cast<unsigned char>(text[i]);
  if (expected) *expected = static_cast<char>(check);
  // A text of one character is compared with its terminating 0 byte, so it
  // never verifies.
  const unsigned char received = len >= 2 ? static_cast<unsigned char>(text[len - 1]) : 0;
  return check == received;
}

FirstKind Classify(unsigned char first) {
  if (first >= '0' && first <= '9') return FirstKind::Record;
  switch (first) {
    case '@': case 'A': case 'B': case 'C': case 'W': case 'T':
    case 'K': case 'S': case 'Q': case 'q':
      return FirstKind::Fields;
    case 'E':
      return FirstKind::Query;
    case 'F': case 'R': case 'f': case 'r': case 't':
      return FirstKind::Single;
    default:
      return FirstKind::Unexpected;
  }
}

std::size_t FollowCount(unsigned char first, const OptionFlags& options) {
  if (first >= '0' && first <= '9') return options.Waiter3 ? 9 : 8;
  switch (first) {
    case '@': return options.Waiter3 ? 6 : 5;
    case 'A': case 'B': case 'C': return 3;
    case 'W': return 4;
    case 'T': return 7;
    case 'K': case 'S': return options.CreditQuantity ? 8 : 4;
    case 'Q': case 'q': return options.CreditQuantity ? 11 : 7;
    default: return 0;
  }
}

void FormatRecord(char* out, std::uint32_t waiter, std::uint32_t plu, std::uint32_t table,
                  bool waiter3) {
  if (waiter3) {
    std::snprintf(out, 12, "%03u%04u%03u", ReduceRecordWaiter3(waiter), ReducePlu(plu),
                  ReduceTable(table));
  } else {
    std::snprintf(out, 12, "%02u%04u%03u", ReduceWaiter2(waiter), ReducePlu(plu),
                  ReduceTable(table));
  }
}

}  // namespace tapix
