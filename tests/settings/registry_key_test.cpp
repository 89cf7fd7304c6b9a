#include <string>

#include "store_fixture.h"

namespace tapix::testing {
namespace {

TEST(ExtractNumber, TakesTheFirstRunOfNumberCharacters) {
  struct Case {
    const char* text;
    std::int32_t want;
  } cases[] = {
      {"", 0},          {"abc", 0},        {"--5", 0},      {"-", 0},           {"12-3", 12},
      {"-7", -7},       {"x-7y", -7},      {"COM7", 7},     {"Rate 9600", 9600}, {"19200 Baud", 19200},
      {"5-", 5},        {"- 5", 0},        {"007", 7},      {"a1b2", 1},
      // 32-bit accumulation wraps; a leading '-' negates the wrapped value.
      {"4294967296", 0}, {"4294967297", 1}, {"2147483648", INT32_MIN}, {"-2147483648", INT32_MIN},
      {"-4294967295", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(ExtractNumber(c.text), c.want) << '\'' << c.text << '\'';
}

TEST(ExtractNumber, StopsAtTheEndOfTheGivenText) {
  EXPECT_EQ(ExtractNumber(std::string_view("123456", 3)), 123);
  EXPECT_EQ(ExtractNumber(std::string_view("\0" "42", 3)), 42);  // a zero byte is no number char
}

TEST(IsNumberChar, DigitsAndMinusOnly) {
  for (int c = -128; c < 128; ++c) {
    const bool want = (c >= '0' && c <= '9') || c == '-';
    EXPECT_EQ(IsNumberChar(static_cast<char>(c)), want) << c;
  }
  EXPECT_FALSE(IsNumberChar('\xB2'));  // superscript two in code page 1252
}

using RegistryKeyTest = StoreTest;

TEST_F(RegistryKeyTest, CreatePathJoinsWithOneBackslashWithinMaxPath) {
  {
    RegistryKey key;
    ASSERT_EQ(key.CreatePath("SOFTWARE\\TRESOL", "Ventrix Test", KEY_ALL_ACCESS), ERROR_SUCCESS);
    EXPECT_EQ(key.SetText("x", "V"), ERROR_SUCCESS);
  }  // destruction closes the key, which writes the file
  ASSERT_NE(StoredTree().Find(kSettingsKey), nullptr);

  // 259 characters and the zero fit; one more does not, and nothing opens.
  RegistryKey key;
  EXPECT_EQ(key.CreatePath(std::string(200, 'a'), std::string(58, 'b'), KEY_READ), ERROR_SUCCESS);
  key.Close();
  EXPECT_EQ(key.CreatePath(std::string(200, 'a'), std::string(59, 'b'), KEY_READ),
            ERROR_BUFFER_OVERFLOW);
  EXPECT_EQ(key.Handle(), 0u);
}

TEST_F(RegistryKeyTest, FailedCreateKeepsTheHeldKey) {
  RegistryKey key;
  ASSERT_EQ(key.CreateMachine("SOFTWARE\\A", KEY_ALL_ACCESS), ERROR_SUCCESS);
  const RegHandle held = key.Handle();
  EXPECT_EQ(key.CreateMachine("SOFTWARE\\\\B", KEY_ALL_ACCESS), ERROR_BAD_PATHNAME);
  EXPECT_EQ(key.Handle(), held);
  EXPECT_EQ(key.SetText("still open", "V"), ERROR_SUCCESS);
  EXPECT_EQ(key.Close(), ERROR_SUCCESS);
  EXPECT_EQ(key.Close(), ERROR_SUCCESS);  // nothing held
  EXPECT_EQ(key.SetText("closed", "V"), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryKeyTest, QueryValueTooSmallLeavesTheBuffer) {
  RegistryKey key;
  ASSERT_EQ(key.CreateMachine("SOFTWARE\\A", KEY_ALL_ACCESS), ERROR_SUCCESS);
  ASSERT_EQ(key.SetText("12345", "V"), ERROR_SUCCESS);
  char buffer[6] = "ABCDE";
  std::uint32_t size = 5;
  EXPECT_EQ(key.QueryValue(buffer, "V", size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_STREQ(buffer, "ABCDE");
  size = 6;
  EXPECT_EQ(key.QueryValue(buffer, "v", size), ERROR_SUCCESS);  // names ignore case
  EXPECT_STREQ(buffer, "12345");
  EXPECT_EQ(key.QueryValue(buffer, "Missing", size), ERROR_FILE_NOT_FOUND);
}

// As RegCreateKeyEx: the key is made whatever rights the handle asks for,
// and a handle for reading refuses writes.
TEST_F(RegistryKeyTest, ReadOnlyKeyRefusesWritesAndIsMadeEmpty) {
  RegistryKey key;
  ASSERT_EQ(key.CreateMachine("SOFTWARE\\A", KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(key.SetText("x", "V"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(key.Close(), ERROR_SUCCESS);
  EXPECT_EQ(ReadStore(), std::string(kStoreHeader) + "\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n\n");
  // Opened only, a missing key stays missing and nothing is written.
  const std::string before = ReadStore();
  EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\B", KEY_READ), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadStore(), before);
}

TEST_F(RegistryKeyTest, WritesFormatTheReducedNumber) {
  RegistryKey key;
  ASSERT_EQ(key.CreateMachine("SOFTWARE\\A", KEY_ALL_ACCESS), ERROR_SUCCESS);
  key.WriteLong("L", 4294967295u);
  key.WriteWord("W", 70000);
  key.WriteByte("B", 264);
  key.WriteFlag("F1", 1);
  key.WriteFlag("F2", 2);
  key.WriteFlag("F0", 0);
  key.WriteFlag("FM", 0xFFFFFFFFu);
  ASSERT_EQ(key.Close(), ERROR_SUCCESS);
  const RegistryTree tree = StoredTree();
  const RegKeyNode* node = tree.Find("HKEY_LOCAL_MACHINE\\SOFTWARE\\A");
  ASSERT_NE(node, nullptr);
  const std::pair<const char*, const char*> want[] = {
      {"L", "4294967295"}, {"W", "4464"}, {"B", "8"}, {"F1", "1"}, {"F2", "0"}, {"F0", "0"}, {"FM", "0"}};
  for (const auto& [name, text] : want) {
    const RegValue* value = node->Find(name);
    ASSERT_NE(value, nullptr) << name;
    EXPECT_EQ(value->type, REG_SZ);
    EXPECT_EQ(value->data, Sz(text)) << name;
  }
}

TEST_F(RegistryKeyTest, ReadsTakeTheTextUpToTheZeroOrTheEnd) {
  RegistryKey key;
  ASSERT_EQ(key.CreateMachine("SOFTWARE\\A", KEY_ALL_ACCESS), ERROR_SUCCESS);
  const std::uint8_t no_zero[] = {'4', '2'};
  const std::uint8_t zero_inside[] = {'7', 0, '9'};
  Registry().SetValue(key.Handle(), "NoZero", REG_BINARY, no_zero, sizeof no_zero);
  Registry().SetValue(key.Handle(), "ZeroInside", REG_SZ, zero_inside, sizeof zero_inside);
  // 18 characters fill the 19-byte buffer when stored without their zero too.
  const std::string eighteen(18, '1');
  Registry().SetValue(key.Handle(), "Full", REG_BINARY,
                      reinterpret_cast<const std::uint8_t*>(eighteen.data()), 18);
  std::uint32_t n = 5;
  EXPECT_EQ(key.ReadLong("NoZero", n), ERROR_SUCCESS);
  EXPECT_EQ(n, 42u);
  EXPECT_EQ(key.ReadLong("ZeroInside", n), ERROR_SUCCESS);
  EXPECT_EQ(n, 7u);
  EXPECT_EQ(key.ReadLong("Full", n), ERROR_SUCCESS);
  EXPECT_EQ(n, static_cast<std::uint32_t>(ExtractNumber(eighteen)));
  EXPECT_EQ(key.ReadLong("Missing", n), ERROR_FILE_NOT_FOUND);
}

}  // namespace
}  // namespace tapix::testing
