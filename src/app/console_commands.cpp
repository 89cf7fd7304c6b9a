#include "app/console_commands.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/console_input.h"
#include "protocol/messages.h"
#include "protocol/options.h"
#include "app/control_ids.h"
#include "app/window_commands.h"

namespace tapix {
namespace {

std::vector<std::string> Split(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
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

void Reject(Session& session, std::string_view line, const char* why) {
  // Bytes of the line are shown as they came; the line is cut so that one
  // bad line stays one console line.
  std::string shown(line.substr(0, 80));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';  // control bytes, NUL included
  Logf(*session.console, "Befehl nicht ausgef\xFChrt: \"%s\" - %s (help zeigt die Befehle)\n",
       shown.c_str(), why);
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

// "A <Kellner>": the word and one placeholder per field, in message order.
std::string Usage(const MessageSpec& message) {
  std::string usage = message.command;
  for (const FieldSpec& field : message.Fields()) {
    usage += field.IsFlag() ? std::string(" <0|1>") : " <" + std::string(field.name) + ">";
  }
  return usage;
}

// Fills the message's fields with the numbers given (fewer leave the rest as
// they are), then presses its button, if it has one.
void FillAndPress(Session& session, const MessageSpec& message,
                  const std::vector<std::string>& words, std::string_view line) {
  const auto fields = message.Fields();
  if (words.size() - 1 > fields.size()) {
    Reject(session, line, "zu viele Zahlen");
    return;
  }
  for (std::size_t i = 1; i < words.size(); ++i) {
    const bool flag = fields[i - 1].IsFlag();
    if (flag ? (words[i] != "0" && words[i] != "1") : !IsNumber(words[i])) {
      Reject(session, line, flag ? "Schalter muss 0 oder 1 sein" : "keine Zahl");
      return;
    }
  }
  if (!session.window) return;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const FieldSpec& field = fields[i - 1];
    if (field.IsFlag()) {
      session.window->SetChecked(field.control, words[i] == "1");
    } else {
      session.window->SetFieldText(field.control, words[i]);
    }
  }
  if (message.button) OnCommand(session, message.button);
}

}  // namespace

std::string CommandHelp() {
  std::string help = "Befehle:\n";
  // The requests first, then the options, then the words that press no button.
  for (const MessageSpec& message : kMessages) {
    if (message.command && message.button) help += "  " + Usage(message) + "\n";
  }
  help += "  <Option> on|off   Optionen:";
  for (const OptionSpec& option : kOptionList) help += std::string(" ") + option.name;
  help += "\n";
  for (const MessageSpec& message : kMessages) {
    if (message.command && !message.button) help += "  " + Usage(message) + "\n";
  }
  help +=
      "  port <n>          COMn aus der Liste w\xE4hlen (0 = leerer Eintrag)\n"
      "  help\n"
      "  quit\n";
  return help;
}

void ExecuteCommandLine(Session& session, std::string_view line) {
  if (line.size() > kMaxCommandLine) {
    Reject(session, line, "Zeile zu lang");
    return;
  }
  const std::vector<std::string> words = Split(line);
  if (words.empty()) return;  // an empty line is no command and no mistake
  const std::string& head = words[0];

  if (const MessageSpec* message = CommandNamed(head)) {
    FillAndPress(session, *message, words, line);
    return;
  }

  const std::string lower = Lower(head);
  if (const OptionSpec* option = OptionNamed(head)) {
    if (words.size() != 2) {
      Reject(session, line, "on oder off fehlt");
      return;
    }
    const std::string value = Lower(words[1]);
    if (value != "on" && value != "off" && value != "1" && value != "0") {
      Reject(session, line, "on oder off erwartet");
      return;
    }
    if (!session.window) return;
    session.window->SetChecked(option->box, value == "on" || value == "1");
    OnCommand(session, option->box);
    return;
  }

  if (lower == "port") {
    if (words.size() != 2 || !IsNumber(words[1]) || words[1][0] == '-') {
      Reject(session, line, "port <n> erwartet");
      return;
    }
    const unsigned long wanted = std::strtoul(words[1].c_str(), nullptr, 10);
    int index = -1;
    for (int i = 0; i <= 32; ++i) {
      if (i == 0 ? wanted == 0 : session.port_choices.PortAt(i) == wanted && wanted != 0) {
        index = i;
        break;
      }
    }
    if (index < 0 || !session.window) {
      Reject(session, line, "diese Schnittstelle ist nicht in der Liste");
      return;
    }
    session.window->ComboSelect(index);
    OnCommand(session, ctl::PortCombo);
    return;
  }

  if (lower == "help" || lower == "?") {
    session.console->Log(CommandHelp());
    return;
  }
  if (lower == "quit" || lower == "exit") {
    OnCommand(session, ctl::Exit);
    return;
  }
  Reject(session, line, "unbekannter Befehl");
}

}  // namespace tapix
