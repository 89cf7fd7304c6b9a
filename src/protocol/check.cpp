#include "protocol/check.h"

#include <cstring>

namespace tapix {

void AppendCheck(char* text) {
  std::size_t len = std::strlen(text);
  if (len == 0) return;  // nothing to cover; never reached by the table
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

}  // namespace tapix
