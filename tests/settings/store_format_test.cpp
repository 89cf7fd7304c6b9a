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
      {std::string(kHeader) + key + "\"ok\"=\"1\"\n[HKEY_CURRENT_USER\\A\n", 4},
      {std::string(kHeader) + key + std::string("\"v\"=\"a\0b\"\n", 10), 3},
      {std::string(kHeader) + key + std::string("\"v\"=hex:01,\\\n  0\0\n", 18), 4},
  };
  for (const auto& c : cases) {
    RegistryTree tree;
    std::size_t line = 0;
    EXPECT_FALSE(ParseStore(c.text, tree, &line)) << c.text;
    EXPECT_EQ(line, c.line) << c.text;
  }
}

// One value line that cannot be read costs that value only: the others are
// read, and the line is kept to be written back until its value is set.
TEST(StoreFormat, ReadsValueByValueAndKeepsWhatItCannotRead) {
  const std::string key = "[HKEY_CURRENT_USER\\A]\n";
  const std::string bad_lines[] = {
      "\"v\"=7",
      "\"v\"=\"open",
      "\"v\"=\"x\" tail",
      "\"v\"=dword:123456789",
      "\"v\"=dword:12g4",
      "\"v\"=hex:1g",
      "\"v\"=hex:123",
      "\"v\"=hex:01,",
      "\"v\"=hex(x):01",
      "\"v\"=text",
      "\"v\"",
      "v=\"x\"",
      "garbage",
      "@=garbage",
  };
  for (const std::string& bad : bad_lines) {
    const std::string text = std::string(kHeader) + key + "\"a\"=\"1\"\n" + bad + "\n\"b\"=\"2\"\n";
    const RegistryTree tree = Parse(text);
    const RegKeyNode& node = *tree.Find("HKEY_CURRENT_USER\\A");
    EXPECT_EQ(node.Find("a")->data, Sz("1")) << bad;
    EXPECT_EQ(node.Find("b")->data, Sz("2")) << bad;
    EXPECT_EQ(node.Find("v"), nullptr) << bad;
    ASSERT_EQ(node.Unread().size(), 1u) << bad;
    EXPECT_EQ(node.Unread()[0].text, bad);
    EXPECT_EQ(node.Unread()[0].line, 4u);
    // Written back after the values, and read the same way again.
    const std::string written = WriteStore(tree);
    EXPECT_NE(written.find("\"b\"=\"2\"\n" + bad + "\n"), std::string::npos) << written;
    EXPECT_EQ(WriteStore(Parse(written)), written);
  }

  // A CR of its own before the CRLF belongs to the line and stays with it:
  // written back, the line is still unread, not a value.
  const RegistryTree with_cr = Parse(std::string(kHeader) + key + "\"v\"=\"x\"\r\r\n");
  ASSERT_EQ(with_cr.Find("HKEY_CURRENT_USER\\A")->Unread().size(), 1u);
  const std::string written = WriteStore(with_cr);
  EXPECT_EQ(Parse(written).Find("HKEY_CURRENT_USER\\A")->Find("v"), nullptr);
  EXPECT_EQ(WriteStore(Parse(written)), written);

  // Setting or deleting the value replaces the line; other names do not.
  RegistryTree tree = Parse(std::string(kHeader) + key + "\"Bits\"=7\n\"Port\"=\"3\"\n");
  RegKeyNode& node = *tree.Find("HKEY_CURRENT_USER\\A");
  node.Set("Port", REG_SZ, Sz("4"));
  EXPECT_EQ(node.Unread().size(), 1u);
  node.Set("Bits", REG_SZ, Sz("8"));
  EXPECT_TRUE(node.Unread().empty());
  EXPECT_EQ(WriteStore(tree), std::string(kHeader) + "\n" + key + "\"Port\"=\"4\"\n\"Bits\"=\"8\"\n\n");
  RegistryTree again = Parse(std::string(kHeader) + key + "\"x\"=oops\n");
  EXPECT_TRUE(again.Find("HKEY_CURRENT_USER\\A")->Erase("X"));
  EXPECT_TRUE(again.Find("HKEY_CURRENT_USER\\A")->Unread().empty());

  // A later good line of the same name wins, as a later line always does.
  EXPECT_TRUE(Parse(std::string(kHeader) + key + "\"v\"=7\n\"v\"=\"8\"\n")
                  .Find("HKEY_CURRENT_USER\\A")->Unread().empty());
  // Below a deleted key nothing is kept.
  EXPECT_TRUE(Parse(std::string(kHeader) + "[-HKEY_CURRENT_USER\\A]\n\"v\"=7\n").Empty());
}

// A hex list continued into a new value, a key or the end stops unfinished:
// that value is unread, and what follows is read on its own.
TEST(StoreFormat, AnUnfinishedHexListTakesNoOtherLine) {
  const RegistryTree tree = Parse(std::string(kHeader) +
                                  "[HKEY_CURRENT_USER\\A]\n"
                                  "\"h\"=hex:01,\\\n"
                                  "\"a\"=\"1\"\n"
                                  "\"j\"=hex:01,\\\n"
                                  "  0g\n"
                                  "[HKEY_CURRENT_USER\\B]\n"
                                  "\"k\"=hex:02,\\\n"
                                  "\n"
                                  "03\n");
  const RegKeyNode& a = *tree.Find("HKEY_CURRENT_USER\\A");
  EXPECT_EQ(a.Find("a")->data, Sz("1"));
  ASSERT_EQ(a.Unread().size(), 2u);
  EXPECT_EQ(a.Unread()[0].text, "\"h\"=hex:01,\\");
  EXPECT_EQ(a.Unread()[1].text, "\"j\"=hex:01,\\\n0g");
  EXPECT_EQ(tree.Find("HKEY_CURRENT_USER\\B")->Unread().size(), 2u);
  // Written back, the two lines of B stay apart: no value "k" appears.
  const std::string written = WriteStore(tree);
  const RegistryTree back = Parse(written);
  EXPECT_EQ(back.Find("HKEY_CURRENT_USER\\B")->Find("k"), nullptr) << written;
  EXPECT_EQ(back.Find("HKEY_CURRENT_USER\\B")->Unread().size(), 2u) << written;
  EXPECT_EQ(WriteStore(back), written);
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
