// Reading a scenario (--script=FILE): one statement a line, read whole
// before anything runs, so that a mistake ends the start with its line and
// column and nothing has gone out on the line.
//
//   # a comment (a line whose first character other than blanks is '#';
//   #   in the statements made of words, a word that starts with '#' too)
//   <every console command>            Checksum on, A 5, ISB 12 345 7, port 3, …
//   answer next KIND [count N]         (a console command too)
//   records W P T [W P T …]            (a console command too)
//   mark TEXT                          (a console command too)
//   expect TEXT [within MS]            the next message that arrived is TEXT
//   expect nothing within MS           no byte arrives for MS
//   wait MS
//   send TEXT                          these bytes, \xNN and \\ escaped
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_reader.h"

namespace tapix {

enum class StatementType : std::uint8_t {
  Command,        // a console command (mark, answer next and records included)
  Expect,         // expect TEXT [within MS]
  ExpectNothing,  // expect nothing within MS
  Wait,           // wait MS
  Send,           // send TEXT
};

struct Statement {
  StatementType type = StatementType::Command;
  std::size_t line = 0;         // from 1
  std::string source;           // the statement as written, without a comment
  Command command;              // Command
  std::string bytes;            // Expect: the message without its check character; Send: the bytes
  std::chrono::milliseconds time{0};  // Expect, ExpectNothing: how long it waits; Wait: the pause
};

// The time an "expect" waits without "within".
inline constexpr std::chrono::milliseconds kDefaultExpectTime{2000};
// The longest time a statement takes: a day.
inline constexpr std::uint32_t kMostStatementMs = 86400000;
// The largest scenario file read.
inline constexpr std::size_t kMostScriptBytes = 1 << 20;

struct Script {
  std::string name;  // the file as given on the command line
  std::vector<Statement> statements;
};

// Where a scenario cannot be read, and why (German, code page 1252); line
// and column from 1, in bytes.
struct ScriptError {
  std::size_t line = 0;
  std::size_t column = 0;
  std::string why;
};

// Reads a scenario's text. A byte-order mark at the start and a carriage
// return before each line feed are allowed (a file saved on Windows).
// Returns the first mistake, if any.
std::optional<ScriptError> ReadScript(std::string_view text, Script& script);

// Reads the file `path` (at most kMostScriptBytes). On failure, `error` is
// the line for the operator: "FILE:LINE:COLUMN: why" or "FILE: why".
bool LoadScript(const std::string& path, Script& script, std::string& error);

}  // namespace tapix
