// The check character: every message on the wire with Checksum depends on it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "protocol/check.h"

namespace tapix {
namespace {

std::string WithCheck(std::string text) {
  char buffer[128] = {};
  std::memcpy(buffer, text.data(), text.size());
  AppendCheck(buffer);
  return buffer;
}

TEST(CheckCharacter, KnownMessages) {
  EXPECT_EQ(WithCheck("A005"), "A005t");
  EXPECT_EQ(WithCheck("@01207"), "@01207t");
  EXPECT_EQ(WithCheck("@012007"), "@012007D");
  EXPECT_EQ(WithCheck("120345007"), "1203450076");
  EXPECT_EQ(WithCheck("000000000"), "0000000000");
}

TEST(CheckCharacter, ZeroCheckEndsTheText) {
  // Ten zeros XOR to 0: the check character is the terminating zero itself.
  char buffer[16] = "0000000000";
  AppendCheck(buffer);
  EXPECT_EQ(std::strlen(buffer), 10u);
  EXPECT_EQ(buffer[10], '\0');
}

TEST(CheckCharacter, CoversAtMostNinetyEightCharacters) {
  char buffer[128];
  std::memset(buffer, 'A', 110);
  buffer[110] = '\0';
  AppendCheck(buffer);
  // 98 'A's XOR to 0, which then ends the text at 98 characters.
  EXPECT_EQ(std::strlen(buffer), 98u);
  std::memset(buffer, 'A', 110);
  buffer[0] = 'B';
  buffer[110] = '\0';
  AppendCheck(buffer);
  ASSERT_EQ(std::strlen(buffer), 99u);
  EXPECT_EQ(buffer[98], 'A' ^ 'B');
}

TEST(CheckCharacter, VerifyFollowsTheReceiveRule) {
  char expected = 0;
  EXPECT_TRUE(VerifyCheck("A005t", &expected));
  EXPECT_EQ(expected, 't');
  EXPECT_FALSE(VerifyCheck("A005x", &expected));
  EXPECT_EQ(expected, 't');
  // Two characters: the first alone is the check of the second.
  EXPECT_TRUE(VerifyCheck("AA", &expected));
  EXPECT_FALSE(VerifyCheck("AB", &expected));
  // One character is compared with its terminating zero: never good.
  EXPECT_FALSE(VerifyCheck("A", &expected));
  EXPECT_EQ(expected, 'A');
  EXPECT_FALSE(VerifyCheck("0", &expected));
}

TEST(CheckCharacter, AppendThenVerifyRoundTrips) {
  for (const char* text : {"A127", "W0511", "T0120451", "K00230000", "Q00230050123", "@012123",
                           "q0990277999", "500744234"}) {
    char buffer[32] = {};
    std::strcpy(buffer, text);
    AppendCheck(buffer);
    if (std::strlen(buffer) == std::strlen(text)) continue;  // zero check: not sent
    EXPECT_TRUE(VerifyCheck(buffer, nullptr)) << text;
  }
}

}  // namespace
}  // namespace tapix
