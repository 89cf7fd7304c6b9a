// The console front end: the in-memory panel stands in for the window, the
// port question is asked on the console, and command lines come from
// standard input. Its loop is the event loop itself, with or without the tap.
#include <cstdint>
#include <memory>
#include <string>

#include "app/events.h"
#include "app/memory_panel.h"
#include "app/window_commands.h"
#include "platform/console_input.h"
#include "platform/signals.h"
#include "ui/front_ends.h"

namespace tapix {
namespace {

// The port question on the console: the present ports, then a number read
// from standard input (the lines after the answer stay for the loop).
PortChoice AskForPort(Session& session) {
  MemoryPanel dialog;
  session.port_choices.Bind(&dialog);
  session.port_choices.Fill(1);
  Console& out = *session.console;
  out.Log("COM-Port Ausw\xE4hlen:\n");
  const auto& entries = dialog.ComboEntries();
  for (std::size_t i = 1; i < entries.size(); ++i) {
    Logf(out, "  %s%s%s%s\n", entries[i].text.c_str(), entries[i].detail.empty() ? "" : " (",
         entries[i].detail.c_str(), entries[i].detail.empty() ? "" : ")");
  }
  if (entries.size() <= 1) out.Log("  (keine Schnittstelle gefunden)\n");
  const std::uint32_t preselected = session.port_choices.SelectedPort();
  if (preselected) {
    Logf(out, "Nummer eingeben (leer = COM%u, Ende der Eingabe = Abbrechen): ", preselected);
  } else {
    out.Log("Nummer eingeben (leer = keine Auswahl, Ende der Eingabe = Abbrechen): ");
  }
  std::string answer;
  PortChoice result = PortChoice::Cancelled;
  if (ConsoleInput::Standard().ReadAnswer(answer, InstallStopSignals())) {
    result = PortChoice::Chosen;
    std::uint32_t chosen = preselected;
    std::string digits;
    for (char c : answer)
      if (c != ' ' && c != '\t') digits.push_back(c);
    if (digits.rfind("COM", 0) == 0 || digits.rfind("com", 0) == 0) digits.erase(0, 3);
    if (!digits.empty()) {
      chosen = 0;
      for (int i = 1; i <= 32; ++i) {
        if (std::to_string(session.port_choices.PortAt(i)) == digits && session.port_choices.PortAt(i)) {
          chosen = session.port_choices.PortAt(i);
        }
      }
      if (!chosen) Logf(out, "COM%s ist nicht in der Liste.\n", digits.c_str());
    }
    session.settings.port = chosen;
  } else {
    out.Log("\n");
  }
  session.port_choices.Bind(nullptr);
  return result;
}

class HeadlessFrontEnd final : public FrontEnd {
 public:
  PortChoice ChoosePort(Session& session) override { return AskForPort(session); }

  void Run(Session& session) override {
    MemoryPanel panel;
    InitWindow(session, panel);
    // A scenario runs alone: nothing on standard input can race it.
    ConsoleInput* input = session.scenario ? nullptr : &ConsoleInput::Standard();
    EventLoop(session, input, EventLoop::Front::Console).Run();
    ForgetWindow(session);
  }
};

}  // namespace

std::unique_ptr<FrontEnd> MakeHeadlessFrontEnd() { return std::make_unique<HeadlessFrontEnd>(); }

}  // namespace tapix
