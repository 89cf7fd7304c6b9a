#include "app/command_reader.h"

#include <cctype>
#include <cstdlib>

#include "platform/console_input.h"

namespace tapix {
namespace {

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// A number as an operator could type or paste it into a field: an optional
// minus and decimal digits.
bool IsNumber(const std::string& s) {
  std::size_t i = s.size() > 1 && s[0] == '-' ? 1 : 0;
  if (i == s.size()) return false;
  for (; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return s.size() <= 12;
}

// The command of a message's row: the request letters as they stand ("Q" and
// "q" differ), a word that presses no button ("ISB") in either case.
const MessageSpec* CommandNamed(const std::string& word) {
  for (const MessageSpec& message : kMessages) {
    if (!message.command) continue;
    if (message.button ? word == message.command : Lower(word) == Lower(message.command)) {
      return &message;
    }
  }
  return nullptr;
}

ReadCommandResult Fail(std::size_t column, std::string why) {
  return {std::nullopt, CommandError{column, std::move(why)}};
}

ReadCommandResult Done(Command command) { return {std::move(command), std::nullopt}; }

// Just past the last word: where a missing word would stand.
std::size_t PastEnd(const std::vector<Word>& words) {
  return words.back().column + words.back().text.size() + 1;
}

ReadCommandResult ReadMessage(const MessageSpec& message, const std::vector<Word>& words) {
  const auto fields = message.Fields();
  const std::size_t given = words.size() - 1;
  if (given > fields.size()) return Fail(words[fields.size() + 1].column, "zu viele Zahlen");
  Command command;
  command.type = CommandType::Message;
  command.message = &message;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i].text;
    const bool flag = fields[i - 1].IsFlag();
    if (flag ? (word != "0" && word != "1") : !IsNumber(word)) {
      return Fail(words[i].column, flag ? "Schalter muss 0 oder 1 sein" : "keine Zahl");
    }
    command.numbers.push_back(word);
  }
  // Every field gets its number: one left out would keep an old value
  // nobody sees on the console.
  if (given < fields.size()) return Fail(PastEnd(words), "zu wenige Zahlen");
  return Done(std::move(command));
}

ReadCommandResult ReadOption(const OptionSpec& option, const std::vector<Word>& words) {
  if (words.size() < 2) return Fail(PastEnd(words), "on oder off fehlt");
  const std::string value = Lower(words[1].text);
  if (value != "on" && value != "off" && value != "1" && value != "0") {
    return Fail(words[1].column, "on oder off erwartet");
  }
  if (words.size() > 2) return Fail(words[2].column, "nach on oder off kommt nichts mehr");
  Command command;
  command.type = CommandType::Option;
  command.option = &option;
  command.on = value == "on" || value == "1";
  return Done(std::move(command));
}

ReadCommandResult ReadPort(const std::vector<Word>& words) {
  if (words.size() != 2) {
    return Fail(words.size() < 2 ? PastEnd(words) : words[2].column, "port <n> erwartet");
  }
  const std::optional<std::uint32_t> n = ReadCount(words[1].text, 255);
  if (!n) return Fail(words[1].column, "port <n> erwartet");
  Command command;
  command.type = CommandType::Port;
  command.port = *n;
  return Done(std::move(command));
}

// answer next R|F|none|bad-check|delay MS|short [count N]
ReadCommandResult ReadAnswerNext(const std::vector<Word>& words) {
  if (words.size() < 2 || Lower(words[1].text) != "next") {
    return Fail(words.size() < 2 ? PastEnd(words) : words[1].column, "next erwartet");
  }
  if (words.size() < 3) return Fail(PastEnd(words), "R, F, none, bad-check, delay MS oder short fehlt");
  Command command;
  command.type = CommandType::AnswerNext;
  const std::string kind = Lower(words[2].text);
  std::size_t next = 3;
  if (kind == "r") {
    command.fault.type = FaultType::R;
  } else if (kind == "f") {
    command.fault.type = FaultType::F;
  } else if (kind == "none") {
    command.fault.type = FaultType::None;
  } else if (kind == "bad-check") {
    command.fault.type = FaultType::BadCheck;
  } else if (kind == "short") {
    command.fault.type = FaultType::Short;
  } else if (kind == "delay") {
    command.fault.type = FaultType::Delay;
    if (words.size() < 4) return Fail(PastEnd(words), "Millisekunden fehlen");
    const std::optional<std::uint32_t> ms = ReadCount(words[3].text, kMostDelayMs);
    if (!ms) return Fail(words[3].column, "Millisekunden von 0 bis 3600000 erwartet");
    command.fault.delay = std::chrono::milliseconds(*ms);
    next = 4;
  } else {
    return Fail(words[2].column, "R, F, none, bad-check, delay MS oder short erwartet");
  }
  if (next < words.size()) {
    if (Lower(words[next].text) != "count") return Fail(words[next].column, "count erwartet");
    if (next + 1 >= words.size()) return Fail(PastEnd(words), "Anzahl fehlt");
    const std::optional<std::uint32_t> count = ReadCount(words[next + 1].text, kMostFaultCount);
    if (!count || *count == 0) {
      return Fail(words[next + 1].column, "Anzahl von 1 bis 1000000 erwartet");
    }
    command.fault.count = *count;
    next += 2;
  }
  if (next < words.size()) return Fail(words[next].column, "zu viele W\xF6rter");
  return Done(std::move(command));
}

// records W P T [W P T ...] | records clear
ReadCommandResult ReadRecords(const std::vector<Word>& words) {
  Command command;
  command.type = CommandType::Records;
  if (words.size() == 2 && Lower(words[1].text) == "clear") return Done(std::move(command));
  FieldValues record{};
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::optional<std::uint32_t> value = ReadCount(words[i].text, 0xFFFFFFFFu);
    if (!value) return Fail(words[i].column, "keine Zahl");
    record[(i - 1) % 3] = *value;
    if ((i - 1) % 3 == 2) command.records.push_back(record);
  }
  // Kellner, PLU, Tisch for each record: a record cut short is a mistake.
  if (command.records.empty() || (words.size() - 1) % 3 != 0) {
    return Fail(PastEnd(words), "zu wenige Zahlen");
  }
  return Done(std::move(command));
}

ReadCommandResult ReadMark(std::string_view line, const std::vector<Word>& words) {
  if (words.size() < 2) return Fail(PastEnd(words), "Text fehlt");
  std::string_view text = line.substr(words[1].column - 1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  Command command;
  command.type = CommandType::Mark;
  command.text = std::string(text);
  return Done(std::move(command));
}

}  // namespace

std::vector<Word> SplitWords(std::string_view line) {
  std::vector<Word> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back({std::string(line.substr(start, i - start)), start + 1});
  }
  return words;
}

std::optional<std::uint32_t> ReadCount(std::string_view word, std::uint32_t most) {
  if (word.empty() || word.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : word) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > most) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

ReadCommandResult ReadCommand(std::string_view line) {
  if (line.size() > kMaxCommandLine) return Fail(kMaxCommandLine + 1, "Zeile zu lang");
  const std::vector<Word> words = SplitWords(line);
  if (words.empty()) return Done(Command{});
  const std::string& head = words[0].text;
  if (const MessageSpec* message = CommandNamed(head)) return ReadMessage(*message, words);
  if (const OptionSpec* option = OptionNamed(head)) return ReadOption(*option, words);
  const std::string lower = Lower(head);
  if (lower == "port") return ReadPort(words);
  if (lower == "answer") return ReadAnswerNext(words);
  if (lower == "records") return ReadRecords(words);
  if (lower == "mark") return ReadMark(line, words);
  Command command;
  if (lower == "help" || lower == "?") {
    command.type = CommandType::Help;
  } else if (lower == "quit" || lower == "exit") {
    command.type = CommandType::Quit;
  } else {
    return Fail(words[0].column, "unbekannter Befehl");
  }
  if (words.size() > 1) return Fail(words[1].column, "zu viele W\xF6rter");
  return Done(std::move(command));
}

}  // namespace tapix
