#include "app/console_commands.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/console_input.h"
#include "app/control_ids.h"
#include "app/window_commands.h"

namespace tapix {
namespace {

// A host command: its button and the fields (or boxes) in their on-screen order.
struct Button {
  const char* name;
  int id;
  std::vector<int> fields;  // a negative entry is a flag box (0 or 1)
  const char* usage;
};

const std::vector<Button>& Buttons() {
  static const std::vector<Button> buttons = {
      {"A", ctl::BtnA, {ctl::FieldAWaiter}, "A <Kellner>"},
      {"B", ctl::BtnB, {ctl::FieldBWaiter}, "B <Kellner>"},
      {"C", ctl::BtnC, {ctl::FieldCWaiter}, "C <Kellner>"},
      {"W", ctl::BtnW, {ctl::FieldWWaiter, -ctl::BoxWFlag}, "W <Kellner> <0|1>"},
      {"T", ctl::BtnT, {ctl::FieldTWaiter, ctl::FieldTTable, -ctl::BoxTFlag},
       "T <Kellner> <Tisch> <0|1>"},
      {"K", ctl::BtnK, {ctl::FieldKQuantity, ctl::FieldKPlu}, "K <St\xFC" "ckzahl> <PLU>"},
      {"S", ctl::BtnS, {ctl::FieldSQuantity, ctl::FieldSPlu}, "S <St\xFC" "ckzahl> <PLU>"},
      {"Q", ctl::BtnQ, {ctl::FieldQQuantity, ctl::FieldQWaiter, ctl::FieldQPlu},
       "Q <St\xFC" "ckzahl> <Kellner> <PLU>"},
      {"q", ctl::BtnLowerQ, {ctl::FieldqQuantity, ctl::FieldqWaiter, ctl::FieldqPlu},
       "q <St\xFC" "ckzahl> <Kellner> <PLU>"},
      {"@", ctl::BtnAt, {ctl::FieldAtTable, ctl::FieldAtWaiter}, "@ <Tisch> <Kellner>"},
      {"E", ctl::BtnE, {}, "E"},
  };
  return buttons;
}

struct Flag {
  const char* name;
  int box;
};

constexpr Flag kFlags[] = {
    {"checksum", ctl::Checksum},     {"waiter3", ctl::Waiter3},
    {"creditquantity", ctl::CreditQuantity}, {"autoanswer", ctl::AutoAnswer},
    {"answerok", ctl::AnswerOk},     {"autoquery", ctl::AutoQuery},
    {"sendrecord", ctl::SendRecord},
};

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

bool RunButton(Session& session, const Button& b, const std::vector<std::string>& words,
               std::string_view line) {
  if (words.size() - 1 > b.fields.size()) {
    Reject(session, line, "zu viele Zahlen");
    return true;
  }
  for (std::size_t i = 1; i < words.size(); ++i) {
    const int target = b.fields[i - 1];
    if (target < 0 ? (words[i] != "0" && words[i] != "1") : !IsNumber(words[i])) {
      Reject(session, line, target < 0 ? "Schalter muss 0 oder 1 sein" : "keine Zahl");
      return true;
    }
  }
  if (!session.window) return true;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const int target = b.fields[i - 1];
    if (target < 0) {
      session.window->SetChecked(-target, words[i] == "1");
    } else {
      session.window->SetFieldText(target, words[i]);
    }
  }
  OnCommand(session, b.id);
  return true;
}

}  // namespace

std::string CommandHelp() {
  std::string help = "Befehle:\n";
  for (const Button& b : Buttons()) help += "  " + std::string(b.usage) + "\n";
  help +=
      "  <Option> on|off   Optionen: Checksum Waiter3 CreditQuantity AutoAnswer AnswerOk "
      "AutoQuery SendRecord\n"
      "  ISB <Kellner> <PLU> <Tisch>\n"
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

  for (const Button& b : Buttons()) {
    if (head == b.name) {
      RunButton(session, b, words, line);
      return;
    }
  }

  const std::string lower = Lower(head);
  for (const Flag& f : kFlags) {
    if (lower != f.name) continue;
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
    session.window->SetChecked(f.box, value == "on" || value == "1");
    OnCommand(session, f.box);
    return;
  }

  if (lower == "isb") {
    static const Button isb{"ISB", 0, {ctl::IsbWaiter, ctl::IsbPlu, ctl::IsbTable}, ""};
    if (words.size() - 1 > isb.fields.size()) {
      Reject(session, line, "zu viele Zahlen");
      return;
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
      if (!IsNumber(words[i])) {
        Reject(session, line, "keine Zahl");
        return;
      }
    }
    if (!session.window) return;
    for (std::size_t i = 1; i < words.size(); ++i)
      session.window->SetFieldText(isb.fields[i - 1], words[i]);
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
      if (i == 0 ? wanted == 0 : session.port_list.PortAt(i) == wanted && wanted != 0) {
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
