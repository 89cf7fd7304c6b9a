#include <gtest/gtest.h>

#include <random>

#include "reg_data.h"
#include "settings/registry_backend.h"
#include "settings/store_format.h"

namespace tapix::testing {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00\n";

RegistryTree Parse(std::string_view text) {
  RegistryTree tree;
  std::size_t line = 0;
  EXPECT_TRUE(ParseStore(text, tree, &line)) << "line " << line << " of\n" << text;
  return tree;
}

TEST(StoreFormat, WritesTheExportForm) {
  RegistryTree tree;
  RegKeyNode& key = tree.Create("HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test");
  key.Set("Port", REG_SZ, Sz("3"));
  key.Set("X", REG_DWORD, {0x0A, 0, 0, 0});
  key.Set("Pfad", REG_SZ, Sz("C:\\a \"b\" \xE4"));
  key.Set("", REG_SZ, Sz("default"));
  key.Set("B", REG_BINARY, {0x01, 0xAB});
  key.Set("E", REG_EXPAND_SZ, {0x25, 0x00});
  EXPECT_EQ(WriteStore(tree),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test]\n"
            "\"Port\"=\"3\"\n"
            "\"X\"=dword:0000000a\n"
            "\"Pfad\"=\"C:\\\\a \\\"b\\\" \xE4\"\n"  // code page 1252 bytes as they are
            "@=\"default\"\n"
            "\"B\"=hex:01,ab\n"
            "\"E\"=hex(2):25,00\n"
            "\n");
}

TEST(StoreFormat, RoundTripKeepsEveryByteAndType) {
  RegistryTree tree;
  RegKeyNode& key = tree.Create("HKEY_LOCAL_MACHINE\\SOFTWARE\\T");
  key.Set("Esc\\\"aped\"", REG_SZ, Sz("\\\"\\\\\"end\\"));
  key.Set("Lines", REG_SZ, Sz("one\r\ntwo"));        // cannot stand between quotes
  key.Set("NoZero", REG_SZ, {'a', 'b'});             // neither can text without its zero
  key.Set("TwoZeros", REG_SZ, {'a', 0, 'b', 0});
  key.Set("Empty", REG_SZ, {});
  key.Set("EmptyBin", REG_BINARY, {});
  key.Set("ShortDword", REG_DWORD, {1, 2});
  key.Set("Typed", 0x12345678u, {9});
  key.Set("Multi", REG_MULTI_SZ, Sz(std::string_view("a\0b", 3)));
  std::vector<std::uint8_t> big(1000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7);
  key.Set("Big", REG_BINARY, big);  // a long list: wrapped lines
  key.Set(std::string(300, 'n'), REG_SZ, Sz(std::string(300, 't')));
  tree.Create("HKEY_CURRENT_USER\\Empty Key");
  tree.Create("HKEY_USERS\\Odd ] name;\\@");

  const std::string text = WriteStore(tree);
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (text.compare(start, 4, "\"nnn") == 0) continue;  // a long name: one line
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
  }
  const RegistryTree back = Parse(text);
  EXPECT_TRUE(SameContent(tree, back)) << text;
  EXPECT_EQ(WriteStore(back), text);
}

TEST(StoreFormat, ReadsLeniently) {
  const RegistryTree tree = Parse(
      "\xEF\xBB\xBF; written by hand\r\n"
      "\r\n"
      "REGEDIT4\r\n"
      "  ; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]   \r\n"
      "\"A\" = \"x\"\r\n"
      "\"B\"=DWORD:FF\r\n"
      "\"C\"=hex(7):61,00,\\\r\n"
      "    62 , 0\r\n"
      "\"D\"=\"C:\\temp\"\r\n"  // an unknown escape stands for itself
      "[hkey_local_machine\\software\\t]\r\n"
      "\"a\"=\"y\"\r\n");
  ASSERT_EQ(tree.Keys().size(), 1u);
  const RegKeyNode& key = tree.Keys().front();
  EXPECT_EQ(key.Path(), "HKEY_LOCAL_MACHINE\\SOFTWARE\\T");
  EXPECT_EQ(key.Find("A")->data, Sz("y"));  // same key and name in other case: replaced
  EXPECT_EQ(key.Find("A")->name, "A");
  const std::vector<std::uint8_t> dword = {0xFF, 0, 0, 0};
  EXPECT_EQ(key.Find("B")->data, dword);
  const std::vector<std::uint8_t> multi = {0x61, 0, 0x62, 0};
  EXPECT_EQ(key.Find("C")->data, multi);
  EXPECT_EQ(key.Find("C")->type, REG_MULTI_SZ);
  EXPECT_EQ(key.Find("D")->data, Sz("C:\\temp"));

  EXPECT_TRUE(Parse("").Empty());
  EXPECT_TRUE(Parse("\n \n; nothing\n").Empty());
}

TEST(StoreFormat, AppliesDeletionLines) {
  const RegistryTree tree = Parse(std::string(kHeader) +
                                  "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                                  "[HKEY_CURRENT_USER\\A\\Sub]\n"
                                  "[HKEY_CURRENT_USER\\AB]\n"
                                  "[HKEY_CURRENT_USER\\A]\n\"x\"=-\n"
                                  "[-HKEY_CURRENT_USER\\A\\Sub]\n\"ignored\"=\"z\"\n");
  ASSERT_EQ(tree.Keys().size(), 2u);
  EXPECT_EQ(tree.Find("HKEY_CURRENT_USER\\A")->Find("x"), nullptr);
  EXPECT_NE(tree.Find("HKEY_CURRENT_USER\\A")->Find("y"), nullptr);
  EXPECT_NE(tree.Find("HKEY_CURRENT_USER\\AB"), nullptr);
}

TEST(StoreFormat, RefusesWhatIsNotAStore) {
  const std::string key = "[HKEY_CURRENT_USER\\A]\n";
  const struct {
    std::string text;
    std::size_t line;
  } cases[] = {
      {"garbage\n", 1},
      {"; header missing\n" + key, 2},
      {std::string(kHeader) + "\"v\"=\"before any key\"\n", 2},
      {std::string(kHeader) + "[SOFTWARE\\A]\n", 2},
      {std::string(kHeader) + "[HKEY_CURRENT_USER\\\\A]\n", 2},
      {std::string(kHeader) + "[HKEY_CURRENT_USER\\A\n", 2},
      {std::string(kHeader) + key + "\"v\"=\"open\n", 3},
      {std::string(kHeader) + key + "\"v\"=\"x\" tail\n", 3},
      {std::string(kHeader) + key + "\"v\"=dword:123456789\n", 3},
      {std::string(kHeader) + key + "\"v\"=dword:12g4\n", 3},
      {std::string(kHeader) + key + "\"v\"=hex:1g\n", 3},
      {std::string(kHeader) + key + "\"v\"=hex:123\n", 3},
      {std::string(kHeader) + key + "\"v\"=hex:01,\n", 3},
      {std::string(kHeader) + key + "\"v\"=hex(x):01\n", 3},
      {std::string(kHeader) + key + "\"v\"=hex:01,\\\n", 3},
      {std::string(kHeader) + key + "\"v\"=text\n", 3},
      {std::string(kHeader) + key + "v=\"x\"\n", 3},
      {std::string(kHeader) + key + std::string("\"v\"=\"a\0b\"\n", 10), 3},
  };
  for (const auto& c : cases) {
    RegistryTree tree;
    std::size_t line = 0;
    EXPECT_FALSE(ParseStore(c.text, tree, &line)) << c.text;
    EXPECT_EQ(line, c.line) << c.text;
  }
}

TEST(StoreFormat, RandomBytesAreNoStore) {
  std::mt19937 random(1234);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(512, '\0');
    for (char& b : bytes) b = static_cast<char>(random());
    RegistryTree tree;
    EXPECT_FALSE(ParseStore(bytes, tree));
  }
}

}  // namespace
}  // namespace tapix::testing
