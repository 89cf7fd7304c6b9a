#include "app/script_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/console_input.h"
#include "app/byte_text.h"

namespace tapix {
namespace {

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

std::string_view TrimEnd(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The words of a statement up to a word that starts a comment.
std::vector<Word> StatementWords(std::string_view line, std::string_view& statement) {
  std::vector<Word> words = SplitWords(line);
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i].text[0] != '#') continue;
    statement = TrimEnd(line.substr(0, words[i].column - 1));
    words.resize(i);
    break;
  }
  return words;
}

std::optional<ScriptError> Milliseconds(const Word& word, std::chrono::milliseconds& time) {
  const std::optional<std::uint32_t> ms = ReadCount(word.text, kMostStatementMs);
  if (!ms) return ScriptError{0, word.column, "Millisekunden von 0 bis 86400000 erwartet"};
  time = std::chrono::milliseconds(*ms);
  return std::nullopt;
}

// expect TEXT [within MS] | expect nothing within MS
std::optional<ScriptError> ReadExpect(const std::vector<Word>& words, Statement& statement) {
  const auto past_end = words.back().column + words.back().text.size() + 1;
  if (words.size() < 2) return ScriptError{0, past_end, "Nachricht oder nothing fehlt"};
  statement.type = StatementType::Expect;
  statement.time = kDefaultExpectTime;
  const Word& what = words[1];
  if (Lower(what.text) == "nothing") {
    statement.type = StatementType::ExpectNothing;
    if (words.size() < 3) return ScriptError{0, past_end, "within MS fehlt"};
  } else {
    std::size_t bad_at = 0;
    const std::optional<std::string> bytes = Unescape(what.text, &bad_at);
    if (!bytes) return ScriptError{0, what.column + bad_at, "\\xNN oder \\\\ erwartet"};
    if (!MessageStartedBy(static_cast<unsigned char>((*bytes)[0]))) {
      return ScriptError{0, what.column, "keine Nachricht: das erste Zeichen beginnt keine"};
    }
    statement.bytes = *bytes;
  }
  if (words.size() == 2) return std::nullopt;
  if (Lower(words[2].text) != "within") return ScriptError{0, words[2].column, "within erwartet"};
  if (words.size() < 4) return ScriptError{0, past_end, "Millisekunden fehlen"};
  if (words.size() > 4) return ScriptError{0, words[4].column, "zu viele W\xF6rter"};
  return Milliseconds(words[3], statement.time);
}

// One line; `statement` is filled when it holds one (not a blank line or a
// comment).
std::optional<ScriptError> ReadLine(std::string_view line, std::optional<Statement>& statement) {
  if (line.size() > kMaxCommandLine) return ScriptError{0, kMaxCommandLine + 1, "Zeile zu lang"};
  std::string_view source = TrimEnd(line);
  const std::vector<Word> words = StatementWords(line, source);
  if (words.empty()) return std::nullopt;
  while (!source.empty() && (source.front() == ' ' || source.front() == '\t')) source.remove_prefix(1);
  Statement read;
  read.source = std::string(source);
  const std::string head = Lower(words[0].text);
  const auto past_end = words.back().column + words.back().text.size() + 1;
  std::optional<ScriptError> error;
  if (head == "expect") {
    error = ReadExpect(words, read);
  } else if (head == "wait") {
    read.type = StatementType::Wait;
    if (words.size() < 2) {
      error = ScriptError{0, past_end, "Millisekunden fehlen"};
    } else if (words.size() > 2) {
      error = ScriptError{0, words[2].column, "zu viele W\xF6rter"};
    } else {
      error = Milliseconds(words[1], read.time);
    }
  } else if (head == "send") {
    // The rest of the line as it stands, comments included: a '#' is a byte.
    read.type = StatementType::Send;
    read.source = std::string(TrimEnd(line.substr(words[0].column - 1)));
    const std::string_view rest = TrimEnd(line.substr(words[0].column - 1 + 4));
    std::size_t start = 0;
    while (start < rest.size() && (rest[start] == ' ' || rest[start] == '\t')) ++start;
    std::size_t bad_at = 0;
    const std::optional<std::string> bytes = Unescape(rest.substr(start), &bad_at);
    if (start == rest.size()) {
      error = ScriptError{0, words[0].column + 5, "Text fehlt"};
    } else if (!bytes) {
      error = ScriptError{0, words[0].column + 4 + start + bad_at, "\\xNN oder \\\\ erwartet"};
    } else {
      read.bytes = *bytes;
    }
  } else {
    // A console command; "mark" keeps the rest of its line, '#' included.
    const std::string_view text = head == "mark" ? TrimEnd(line) : source;
    if (head == "mark") read.source = std::string(TrimEnd(line.substr(words[0].column - 1)));
    const std::size_t offset = head == "mark" ? 0 : static_cast<std::size_t>(source.data() - line.data());
    ReadCommandResult command = ReadCommand(text);
    if (command.error) {
      error = ScriptError{0, command.error->column + offset, command.error->why};
    } else {
      read.command = std::move(*command.command);
    }
  }
  if (error) return error;
  statement = std::move(read);
  return std::nullopt;
}

}  // namespace

std::optional<ScriptError> ReadScript(std::string_view text, Script& script) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::optional<Statement> statement;
    if (std::optional<ScriptError> error = ReadLine(line, statement)) {
      error->line = number;
      return error;
    }
    if (!statement) continue;
    statement->line = number;
    script.statements.push_back(std::move(*statement));
  }
  return std::nullopt;
}

bool LoadScript(const std::string& path, Script& script, std::string& error) {
  script.name = path;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = path + ": nicht lesbar: " + std::strerror(errno);
    return false;
  }
  std::string text;
  char buffer[8192];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= kMostScriptBytes)
    text.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  const int code = errno;
  std::fclose(file);
  if (failed) {
    error = path + ": nicht lesbar: " + std::strerror(code);
    return false;
  }
  if (text.size() > kMostScriptBytes) {
    error = path + ": gr\xF6\xDF" "er als 1 MiB";
    return false;
  }
  if (const std::optional<ScriptError> bad = ReadScript(text, script)) {
    error = path + ":" + std::to_string(bad->line) + ":" + std::to_string(bad->column) + ": " +
            bad->why;
    return false;
  }
  return true;
}

}  // namespace tapix
