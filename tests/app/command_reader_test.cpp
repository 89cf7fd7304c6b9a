// Reading console commands into values: what each word means, and where a
// line goes wrong (the column a scenario's error names).
#include <gtest/gtest.h>

#include "app/byte_text.h"
#include "app/command_reader.h"

namespace tapix {
namespace {

CommandError ErrorOf(std::string_view line) {
  const ReadCommandResult read = ReadCommand(line);
  EXPECT_FALSE(read.command) << line;
  return read.error.value_or(CommandError{0, "(kein Fehler)"});
}

Command CommandOf(std::string_view line) {
  const ReadCommandResult read = ReadCommand(line);
  EXPECT_FALSE(read.error) << line << ": " << (read.error ? read.error->why : "");
  return read.command.value_or(Command{});
}

TEST(CommandReader, MistakesNameTheirColumn) {
  struct Case {
    const char* line;
    std::size_t column;
    const char* why;
  } const cases[] = {
      {"A 5 6", 5, "zu viele Zahlen"},
      {"T 12 45", 9, "zu wenige Zahlen"},
      {"  K   7", 9, "zu wenige Zahlen"},
      {"W 5 2", 5, "Schalter muss 0 oder 1 sein"},
      {"Q 1 x 3", 5, "keine Zahl"},
      {"Checksum", 10, "on oder off fehlt"},
      {"Checksum vielleicht", 10, "on oder off erwartet"},
      {"Checksum on off", 13, "nach on oder off kommt nichts mehr"},
      {"hello", 1, "unbekannter Befehl"},
      {"port -1", 6, "port <n> erwartet"},
      {"answer F", 8, "next erwartet"},
      {"answer next", 13, "R, F, none, bad-check, delay MS oder short fehlt"},
      {"answer next G", 13, "R, F, none, bad-check, delay MS oder short erwartet"},
      {"answer next delay", 19, "Millisekunden fehlen"},
      {"answer next delay 3600001", 19, "Millisekunden von 0 bis 3600000 erwartet"},
      {"answer next F twice", 15, "count erwartet"},
      {"answer next F count 0", 21, "Anzahl von 1 bis 1000000 erwartet"},
      {"answer next F count", 21, "Anzahl fehlt"},
      {"answer next none count 2 more", 26, "zu viele W\xF6rter"},
      {"records", 9, "zu wenige Zahlen"},
      {"records 1 2 3 4", 17, "zu wenige Zahlen"},
      {"records 1 -2 3", 11, "keine Zahl"},
      {"records 1 2 4294967296", 13, "keine Zahl"},
      {"mark", 6, "Text fehlt"},
      {"quit now", 6, "zu viele W\xF6rter"},
  };
  for (const Case& c : cases) {
    const CommandError error = ErrorOf(c.line);
    EXPECT_EQ(error.column, c.column) << c.line;
    EXPECT_EQ(error.why, c.why) << c.line;
  }
  EXPECT_EQ(ErrorOf(std::string(5000, 'A')).why, "Zeile zu lang");
}

TEST(CommandReader, WordsBecomeValues) {
  Command c = CommandOf("T 12 45 1");
  EXPECT_EQ(c.type, CommandType::Message);
  EXPECT_EQ(c.message->first, 'T');
  EXPECT_EQ(c.numbers, (std::vector<std::string>{"12", "45", "1"}));
  EXPECT_EQ(CommandOf("E").numbers.size(), 0u);

  c = CommandOf("anSWERok OFF");
  EXPECT_EQ(c.type, CommandType::Option);
  EXPECT_STREQ(c.option->name, "AnswerOk");
  EXPECT_FALSE(c.on);

  c = CommandOf("answer next delay 250 count 3");
  EXPECT_EQ(c.fault.type, FaultType::Delay);
  EXPECT_EQ(c.fault.delay.count(), 250);
  EXPECT_EQ(c.fault.count, 3u);
  for (const auto& [word, type] :
       {std::pair{"r", FaultType::R}, {"F", FaultType::F}, {"none", FaultType::None},
        {"Bad-Check", FaultType::BadCheck}, {"short", FaultType::Short}}) {
    c = CommandOf(std::string("answer next ") + word);
    EXPECT_EQ(c.fault.type, type) << word;
    EXPECT_EQ(c.fault.count, 1u) << word;
  }

  c = CommandOf("records 12 345 7  150 9000 1234");
  ASSERT_EQ(c.records.size(), 2u);
  EXPECT_EQ(c.records[1], (FieldValues{150, 9000, 1234}));
  EXPECT_TRUE(CommandOf("records clear").records.empty());

  // The marker's text as it stands between the word and the line's end.
  EXPECT_EQ(CommandOf("mark   Schritt 2:  Abmeldung \t").text, "Schritt 2:  Abmeldung");
  EXPECT_EQ(CommandOf("  \t ").type, CommandType::Empty);
  EXPECT_EQ(CommandOf("port 0").port, 0u);
}

TEST(ByteText, ReadableAndBackAgain) {
  EXPECT_EQ(Readable("A005t"), "A005t");
  EXPECT_EQ(Readable(std::string("K1\x00\r\x7F\xFC\\\"", 8)), "K1\\x00\\x0D\\x7F\\xFC\\\\\\x22");
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  EXPECT_EQ(Unescape(Readable(all), nullptr), all);

  std::size_t bad = 0;
  EXPECT_EQ(Unescape("A\\x0d\\x7F\\\\", &bad), std::string("A\r\x7F\\"));
  for (const auto& [text, at] : {std::pair{"ab\\x4", 2u}, {"\\n", 0u}, {"x\\xZZ", 1u}, {"\\", 0u}}) {
    EXPECT_FALSE(Unescape(text, &bad)) << text;
    EXPECT_EQ(bad, at) << text;
  }
}

}  // namespace
}  // namespace tapix
