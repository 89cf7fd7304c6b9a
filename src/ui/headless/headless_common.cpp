#include "ui/headless/headless_common.h"
#include "ui/headless/tap_loop.h"

#include <cstdint>
#include <memory>
#include <string>

#include "app/console_commands.h"
#include "app/exit_codes.h"
#include "app/loop.h"
#include "app/memory_panel.h"
#include "app/window_commands.h"
#include "ui/front_ends.h"

namespace tapix {

int AskForPort(Session& session, const AnswerReader& read_answer) {
  MemoryPanel dialog;
  session.port_list.Bind(&dialog);
  session.port_list.Fill(1);
  Console& out = *session.console;
  out.Log("COM-Port Ausw\xE4hlen:\n");
  const auto& entries = dialog.ComboEntries();
  for (std::size_t i = 1; i < entries.size(); ++i) {
    Logf(out, "  %s%s%s%s\n", entries[i].text.c_str(), entries[i].detail.empty() ? "" : " (",
         entries[i].detail.c_str(), entries[i].detail.empty() ? "" : ")");
  }
  if (entries.size() <= 1) out.Log("  (keine Schnittstelle gefunden)\n");
  const std::uint32_t preselected = session.port_list.SelectedPort();
  if (preselected) {
    Logf(out, "Nummer eingeben (leer = COM%u, Ende der Eingabe = Abbrechen): ", preselected);
  } else {
    out.Log("Nummer eingeben (leer = keine Auswahl, Ende der Eingabe = Abbrechen): ");
  }
  std::string answer;
  int result = 2;
  if (read_answer(&answer)) {
    result = 1;
    std::uint32_t chosen = preselected;
    std::string digits;
    for (char c : answer)
      if (c != ' ' && c != '\t') digits.push_back(c);
    if (digits.rfind("COM", 0) == 0 || digits.rfind("com", 0) == 0) digits.erase(0, 3);
    if (!digits.empty()) {
      chosen = 0;
      for (int i = 1; i <= 32; ++i) {
        if (std::to_string(session.port_list.PortAt(i)) == digits && session.port_list.PortAt(i)) {
          chosen = session.port_list.PortAt(i);
        }
      }
      if (!chosen) Logf(out, "COM%s ist nicht in der Liste.\n", digits.c_str());
    }
    session.settings.port = chosen;
  } else {
    out.Log("\n");
  }
  session.port_list.Bind(nullptr);
  return result;
}

namespace {

class HeadlessFrontEnd final : public FrontEnd {
 public:
  int ChoosePort(Session& session) override { return AskForPort(session, ReadAnswerLine); }

  void Run(Session& session) override {
    MemoryPanel panel;
    InitWindow(session, panel);
    if (session.tap) {
      RunTapLoop(session);
    } else {
      RunHeadlessLoop(session);
    }
    ForgetWindow(session);
  }
};

}  // namespace

std::unique_ptr<FrontEnd> MakeHeadlessFrontEnd() { return std::make_unique<HeadlessFrontEnd>(); }

bool EndWithoutPortOrInput(Session& session, bool input_open) {
  if (input_open || session.port) return false;
  session.console->Log("Keine Schnittstelle offen und keine Eingabe mehr: Ende.\n");
  session.exit_code = kExitNoPort;
  OnCommand(session, 1);
  return true;
}

void OnConsoleLine(Session& session, std::string_view line) {
  ExecuteCommandLine(session, line);
  PassAfterEvent(session);
}

void OnQueryTick(Session& session) {
  OnTimer(session);
  PassAfterEvent(session);
}

void OnPortInput(Session& session) {
  PollPass(session);
  CheckHangup(session);
}

void OnStop(Session& session) { OnCommand(session, 1); }

}  // namespace tapix
