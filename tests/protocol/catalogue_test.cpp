// The check character and the message lengths: every byte on the wire depends
// on these.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "protocol/catalogue.h"

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

TEST(Catalogue, Reductions) {
  EXPECT_EQ(ReduceWaiter(200), 72u);
  EXPECT_EQ(ReduceWaiter(128), 0u);
  EXPECT_EQ(ReduceWaiter2(200), 0u);
  EXPECT_EQ(ReducePlu(9000), 744u);
  EXPECT_EQ(ReducePlu(8256), 0u);
  EXPECT_EQ(ReducePlu(9999), 1743u);
  EXPECT_EQ(ReduceQuantity(150), 50u);
  EXPECT_EQ(ReduceTable(1045), 45u);
  // -1 taken as unsigned 32-bit.
  const std::uint32_t minus_one = static_cast<std::uint32_t>(-1);
  EXPECT_EQ(ReduceWaiter(minus_one), 127u);
  EXPECT_EQ(ReduceQuantity(minus_one), 95u);
  EXPECT_EQ(ReduceTable(minus_one), 295u);
  EXPECT_EQ(ReducePlu(minus_one), 6207u);
}

TEST(Catalogue, RecordLayout) {
  char record[12];
  FormatRecord(record, 150, 9000, 1234, false);
  EXPECT_STREQ(record, "500744234");
  FormatRecord(record, 150, 9000, 1234, true);
  EXPECT_STREQ(record, "0220744234");
  FormatRecord(record, 12, 345, 7, false);
  EXPECT_STREQ(record, "120345007");
  FormatRecord(record, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, true);
  EXPECT_STREQ(record, "1276207295");
}

TEST(Catalogue, FollowCountsByOption) {
  OptionFlags off{};
  OptionFlags on{};
  on.Waiter3 = on.CreditQuantity = 1;
  struct Row {
    char first;
    std::size_t off, on;
  };
  for (Row r : {Row{'0', 8, 9}, Row{'9', 8, 9}, Row{'@', 5, 6}, Row{'A', 3, 3}, Row{'B', 3, 3},
                Row{'C', 3, 3}, Row{'W', 4, 4}, Row{'T', 7, 7}, Row{'K', 4, 8}, Row{'S', 4, 8},
                Row{'Q', 7, 11}, Row{'q', 7, 11}, Row{'E', 0, 0}, Row{'R', 0, 0}}) {
    EXPECT_EQ(FollowCount(static_cast<unsigned char>(r.first), off), r.off) << r.first;
    EXPECT_EQ(FollowCount(static_cast<unsigned char>(r.first), on), r.on) << r.first;
  }
}

TEST(Catalogue, ClassifyTellsCaseApart) {
  EXPECT_EQ(Classify('Q'), FirstKind::Fields);
  EXPECT_EQ(Classify('q'), FirstKind::Fields);
  EXPECT_EQ(Classify('F'), FirstKind::Single);
  EXPECT_EQ(Classify('f'), FirstKind::Single);
  EXPECT_EQ(Classify('e'), FirstKind::Unexpected);
  EXPECT_EQ(Classify('a'), FirstKind::Unexpected);
  EXPECT_EQ(Classify('s'), FirstKind::Unexpected);
  EXPECT_EQ(Classify('\n'), FirstKind::Unexpected);
  EXPECT_EQ(Classify(0xB5), FirstKind::Unexpected);
  EXPECT_EQ(Classify(0), FirstKind::Unexpected);
  int fields = 0;
  for (int b = 0; b < 256; ++b)
    if (Classify(static_cast<unsigned char>(b)) != FirstKind::Unexpected) ++fields;
  EXPECT_EQ(fields, 10 + 10 + 1 + 5);  // digits, lettered messages, E, singles
}

}  // namespace
}  // namespace tapix
