// Reading one console command into a value, without running it: the words
// of the message table's rows ("A 5", "ISB 12 345 7"), the option names
// ("Checksum on"), "port", "answer next", "records", "mark", "help", "quit".
// Standard input runs what this reads (app/console_commands.h); a scenario
// reads its command lines with it before anything runs, so a mistake is
// named with its line and column and nothing has gone out yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/messages.h"
#include "protocol/options.h"
#include "app/answer_faults.h"

namespace tapix {

enum class CommandType : std::uint8_t {
  Empty,       // a line of blanks: nothing to do, no mistake
  Message,     // a row's word with its numbers: fills its fields, presses its button
  Option,      // "Checksum on"
  Port,        // "port 3"
  AnswerNext,  // "answer next F count 2"
  Records,     // "records 12 345 7 …" (none: "records clear")
  Mark,        // "mark TEXT"
  Help,
  Quit,
};

struct Command {
  CommandType type = CommandType::Empty;
  const MessageSpec* message = nullptr;  // Message: its row
  std::vector<std::string> numbers;      // Message: the fields' texts, in message order
  const OptionSpec* option = nullptr;    // Option
  bool on = false;                       // Option
  std::uint32_t port = 0;                // Port
  AnswerFault fault;                     // AnswerNext
  std::vector<FieldValues> records;      // Records: empty clears the queue
  std::string text;                      // Mark
};

// Why a line is no command, and where: the column (from 1, in bytes) of the
// word at fault, or just past the last word when something is missing.
struct CommandError {
  std::size_t column = 1;
  std::string why;  // German, code page 1252
};

// A line's words with the column where each starts (from 1); blanks and tabs
// separate them.
struct Word {
  std::string text;
  std::size_t column;
};
std::vector<Word> SplitWords(std::string_view line);

// A number of milliseconds, or a count: decimal digits only, at most
// `most`; none for anything else.
std::optional<std::uint32_t> ReadCount(std::string_view word, std::uint32_t most);

// The longest delay and the most messages one "answer next" takes.
inline constexpr std::uint32_t kMostDelayMs = 3600000;
inline constexpr std::uint32_t kMostFaultCount = 1000000;

// Reads `line` (without its line end). Exactly one of the two is set.
struct ReadCommandResult {
  std::optional<Command> command;
  std::optional<CommandError> error;
};
ReadCommandResult ReadCommand(std::string_view line);

}  // namespace tapix
