// The trace's JSON strings: every byte value of a code page 1252 text comes
// back as its own character through an independent JSON parser.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "log/text_encoding.h"

namespace tapix {
namespace {

TEST(JsonString, EveryByteIsItsOwnCharacter) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string json = ToJsonString(all);
  const auto parsed = nlohmann::json::parse(json).get<std::string>();  // throws on invalid UTF-8
  // Back to code points: 256 of them, each distinct.
  std::u32string points;
  for (std::size_t i = 0; i < parsed.size();) {
    const auto c = static_cast<unsigned char>(parsed[i]);
    const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : 3;
    char32_t u = n == 1 ? c : n == 2 ? (c & 0x1F) : (c & 0x0F);
    for (int k = 1; k < n; ++k) u = (u << 6) | (static_cast<unsigned char>(parsed[i + k]) & 0x3F);
    points.push_back(u);
    i += static_cast<std::size_t>(n);
  }
  ASSERT_EQ(points.size(), 256u);
  EXPECT_EQ(std::set<char32_t>(points.begin(), points.end()).size(), 256u);
  EXPECT_EQ(points[0x00], 0x00u);
  EXPECT_EQ(points[0x0A], 0x0Au);
  EXPECT_EQ(points[0x80], 0x20ACu);  // the euro sign
  EXPECT_EQ(points[0x81], 0x81u);    // undefined in the code page: the C1 control
  EXPECT_EQ(points[0xFC], 0xFCu);    // ü
}

TEST(JsonString, EscapesWhatJsonAsksFor) {
  EXPECT_EQ(ToJsonString(std::string("a\"b\\c\n\x01\x7F", 8)), "\"a\\\"b\\\\c\\n\\u0001\\u007f\"");
  EXPECT_EQ(ToJsonString("St\xFC" "ckzahl"), "\"St\xC3\xBC" "ckzahl\"");
}

}  // namespace
}  // namespace tapix
