#include "core/startup.h"

#include <memory>
#include <string>

#include "core/console.h"
#include "core/maker.h"
#include "core/session.h"
#include "core/signals.h"
#include "serial/port.h"
#include "serial/port_map.h"
#include "serial/virtual_line.h"
#include "settings/file_store.h"
#include "settings/settings_io.h"
#include "ui/frontend.h"

namespace tapix {
namespace {

constexpr const char* kKeyName = "Ventrix Test";
constexpr const char* kBasePath = "SOFTWARE\\TRESOL";

// On Linux the port field may name a device: "/dev/ttyUSB0,9600,N,8,1". The
// path gets its number from the port map, and the rest is parsed as usual.
void ApplyLineArgument(PortSettings& settings, const std::string& argument) {
  if (!argument.empty() && argument[0] == '/') {
    const std::size_t comma = argument.find(',');
    const std::string path = argument.substr(0, comma);
    const std::uint32_t number = Ports().NumberFor(path);
    const std::string rest = comma == std::string::npos ? std::string() : argument.substr(comma);
    ParseArgument(settings, std::to_string(number) + rest);
    return;
  }
  ParseArgument(settings, argument);
}

void PrintBanner(Console& console, bool with_usage) {
  console.Log("'Ventrix' Test und Simulation\n\n");
  if (with_usage) {
    console.Log("usage: Tapix nCom[,9600,N,8,1]\n");
    console.Log("       nCom = COM 1-32\n");
    console.Log("       Baud-Rate\n");
    console.Log("       Parity\n");
    console.Log("       Daten-Bits\n");
    console.Log("       Stop-Bits\n\n");
  }
  Logf(console, "%s\n", maker::kName);
  Logf(console, "%s\n", maker::kWebHost);
  Logf(console, "%s\n\n", maker::kMail);
}

}  // namespace

StartOptions ParseCommandLine(const std::vector<std::string>& args) {
  StartOptions options;
  for (const std::string& arg : args) {
    if (arg.rfind("--", 0) == 0) {
      if (arg == "--pty") {
        options.virtual_line = true;
      } else if (arg.rfind("--pty=", 0) == 0) {
        options.virtual_line = true;
        options.virtual_link = arg.substr(6);
        if (options.virtual_link.empty()) options.error = "--pty= braucht einen Pfad";
      } else if (arg == "--no-window" || arg == "--headless") {
        options.no_window = true;
      } else if (arg == "--help") {
        options.show_help = true;
      } else if (options.error.empty()) {
        options.error = "unbekannte Option " + arg;
      }
    } else if (!options.line_argument) {
      options.line_argument = arg;
    }
  }
  return options;
}

std::string OptionsHelp() {
  return "tapix [Optionen] [nCom[,9600,N,8,1]]\n"
         "  nCom            Portnummer (COMn) oder Ger\xE4tepfad, z.B. /dev/ttyUSB0,9600,N,8,1\n"
         "  --pty[=LINK]    virtuelle Leitung: Tapix legt ein Pseudo-Terminal an und nennt\n"
         "                  die Gegenstelle (LINK: symbolischer Link auf die Gegenstelle)\n"
         "  --no-window     ohne Fenster; Befehle von der Standardeingabe (help)\n"
         "  --help          diese Hilfe\n";
}

int RunProgram(const StartOptions& options, FrontEnd& front_end) {
  // Stop signals are caught from the start, so that a Ctrl+C or SIGTERM that
  // comes early still ends the run through the loop (or cancels the port
  // question) instead of killing the process.
  InstallStopSignals();
  StdConsole console;
  Session session;
  session.console = &console;
  SetStoreConsole(&console);

  SetDefaults(session.settings);
  LoadFromRegistry(session.settings, kKeyName, kBasePath);
  LoadPortMap(Ports(), kKeyName, kBasePath);
  Ports().Refresh();
  if (options.line_argument) ApplyLineArgument(session.settings, *options.line_argument);

  ResetOptions(session);
  PrintBanner(console, !options.line_argument);

  // The virtual line is for this run only: it takes a port number (the chosen
  // one when no pinned device holds it), and the number stored at the end is
  // the one the run started with.
  std::unique_ptr<VirtualLine> line;
  const std::uint32_t stored_port = session.settings.port;
  if (options.virtual_line) {
    line = std::make_unique<VirtualLine>();
    if (!line->Create(options.virtual_link)) {
      std::string text;
      const int code = GetLastErrorText(text);
      Logf(console, "Virtuelle Leitung nicht angelegt: Fehler %d - %s", code, text.c_str());
      line.reset();
    } else {
      session.settings.port = line->Register(Ports(), session.settings.port);
      Logf(console, "Virtuelle Leitung auf COM%u, Gegenstelle: %s\n", session.settings.port,
           line->SlavePath().c_str());
      if (!line->LinkPath().empty())
        Logf(console, "Link f\xFCr die Gegenstelle: %s\n", line->LinkPath().c_str());
    }
  }

  if (session.settings.port == 0) {
    if (front_end.ChoosePort(session) == 2 || session.settings.port == 0) {
      SetStoreConsole(nullptr);
      return 0;
    }
  }

  OpenAndReport(session.settings, session.port, console);
  front_end.Run(session);

  ClosePort(session.port);
  if (line && session.settings.port == line->Port()) session.settings.port = stored_port;
  line.reset();
  SaveToRegistry(session.settings, kKeyName, kBasePath);
  SavePortMap(Ports(), kKeyName, kBasePath);
  SetStoreConsole(nullptr);
  return 0;
}

}  // namespace tapix
