#include "app/console_commands.h"

#include <string>
#include <vector>

#include "protocol/messages.h"
#include "protocol/options.h"
#include "app/byte_text.h"
#include "app/control_ids.h"
#include "app/window_commands.h"

namespace tapix {
namespace {

void Reject(Session& session, std::string_view line, std::string_view why) {
  // Bytes of the line are shown as they came; the line is cut so that one
  // bad line stays one console line.
  std::string shown(line.substr(0, 80));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20) c = '?';  // control bytes, NUL included
  Logf(*session.console, "Befehl nicht ausgef\xFChrt: \"%s\" - %.*s (help zeigt die Befehle)\n",
       shown.c_str(), static_cast<int>(why.size()), why.data());
}

// "A <Kellner>": the word and one placeholder per field, in message order.
std::string Usage(const MessageSpec& message) {
  std::string usage = message.command;
  for (const FieldSpec& field : message.Fields()) {
    usage += field.IsFlag() ? std::string(" <0|1>") : " <" + std::string(field.name) + ">";
  }
  return usage;
}

// Fills the message's fields with its numbers, then presses its button, if
// it has one.
std::string FillAndPress(Session& session, const Command& command) {
  const MessageSpec& message = *command.message;
  const auto fields = message.Fields();
  if (!session.window) return {};
  for (std::size_t i = 0; i < command.numbers.size() && i < fields.size(); ++i) {
    if (fields[i].IsFlag()) {
      session.window->SetChecked(fields[i].control, command.numbers[i] == "1");
    } else {
      session.window->SetFieldText(fields[i].control, command.numbers[i]);
    }
  }
  if (!message.button) {
    std::string ack = "OK: " + std::string(message.command);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      ack += (i ? ", " : " ") + std::string(fields[i].name) + " " + command.numbers[i];
    }
    return ack + "\n";
  }
  if (session.pending.SendPending) {
    // The button drops it too; the console says so, so that a program that
    // waits for the acknowledgement is not left waiting.
    std::string shown = message.command;
    for (const std::string& number : command.numbers) shown += " " + number;
    Reject(session, shown, "eine Anfrage wartet noch auf die Schnittstelle");
    return {};
  }
  OnCommand(session, message.button);
  if (!session.pending.SendPending) return {};
  return "OK: Anfrage " + Readable(session.pending.text) + "\n";
}

std::string Plural(std::uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
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
      "  answer next R|F|none|bad-check|delay <ms>|short [count <n>]\n"
      "                    die n\xE4" "chsten n Nachrichten so beantworten, dann wieder nach den Optionen\n"
      "  records <Kellner> <PLU> <Tisch> ...   Datens\xE4tze f\xFCr die n\xE4" "chsten E, dann Nullen\n"
      "  records clear     die Datens\xE4tze verwerfen\n"
      "  mark <Text>       eine Markierung im Protokoll\n"
      "  help\n"
      "  quit\n";
  return help;
}

std::string RunCommand(Session& session, const Command& command) {
  switch (command.type) {
    case CommandType::Empty:
      return {};
    case CommandType::Message:
      return FillAndPress(session, command);
    case CommandType::Option:
      if (!session.window) return {};
      session.window->SetChecked(command.option->box, command.on);
      OnCommand(session, command.option->box);
      return "OK: " + std::string(command.option->name) + (command.on ? " an\n" : " aus\n");
    case CommandType::Port: {
      int index = -1;
      for (int i = 0; i <= 32; ++i) {
        if (i == 0 ? command.port == 0
                   : command.port != 0 && session.port_choices.PortAt(i) == command.port) {
          index = i;
          break;
        }
      }
      if (index < 0 || !session.window) {
        Reject(session, "port " + std::to_string(command.port),
               "diese Schnittstelle ist nicht in der Liste");
        return {};
      }
      session.window->ComboSelect(index);
      OnCommand(session, ctl::PortCombo);
      if (command.port == 0) return "OK: keine Schnittstelle\n";
      return "OK: COM" + std::to_string(command.port) + " gew\xE4hlt\n";
    }
    case CommandType::AnswerNext: {
      session.faults.Add(command.fault);
      const std::string how = DescribeFault(command.fault);
      if (command.fault.count == 1) return "OK: n\xE4" "chste Antwort " + how + "\n";
      return "OK: die n\xE4" "chsten " + Plural(command.fault.count, "Antwort", "Antworten") +
             " " + how + "\n";
    }
    case CommandType::Records:
      if (command.records.empty()) session.records.Clear();
      for (const FieldValues& record : command.records) session.records.Add(record);
      return "OK: " + Plural(session.records.Size(), "Datensatz", "Datens\xE4tze") +
             " f\xFCr die n\xE4" "chsten E\n";
    case CommandType::Mark:
      Publish(session, MarkerEvent(command.text));
      return {};
    case CommandType::Help:
      session.console->Log(CommandHelp());
      return {};
    case CommandType::Quit:
      OnCommand(session, ctl::Exit);
      return {};
  }
  return {};
}

std::string ExecuteCommandLine(Session& session, std::string_view line) {
  const ReadCommandResult read = ReadCommand(line);
  if (read.error) {
    Reject(session, line, read.error->why);
    return {};
  }
  return RunCommand(session, *read.command);
}

}  // namespace tapix
