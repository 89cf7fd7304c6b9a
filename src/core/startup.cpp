#include "core/startup.h"

#include <memory>
#include <string>

#include "core/console.h"
#include "core/exit_codes.h"
#include "core/log_history.h"
#include "core/maker.h"
#include "core/session.h"
#include "core/signals.h"
#include "core/window_commands.h"
#include "core/startup_platform.h"
#include "serial/port.h"
#include "settings/store_console.h"
#include "ui/frontend.h"

namespace tapix {
namespace {

constexpr const char* kKeyName = "Ventrix Test";
constexpr const char* kBasePath = "SOFTWARE\\TRESOL";

// The settings the end of the run saves: the last ones a device accepted (or
// those loaded). Port 0 chosen in the window is kept, so the next start asks
// for a port; the virtual line's number gives way to the number it avoided.
PortSettings SettingsToSave(const Session& session, std::uint32_t virtual_port,
                            std::uint32_t kept_port) {
  PortSettings saved = session.accepted;
  saved.Autoconnect = session.settings.Autoconnect;
  if (session.settings.port == 0) saved.port = 0;
  if (virtual_port != 0 && saved.port == virtual_port) saved.port = kept_port;
  return saved;
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
      if ((arg == "--pty" || arg.rfind("--pty=", 0) == 0) && !VirtualLineSupported()) {
        if (options.error.empty()) options.error = arg + " gibt es nur unter Linux";
      } else if (arg == "--pty") {
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
    } else {
      options.further_arguments.push_back(arg);
    }
  }
  return options;
}

std::string OptionsHelp() {
  std::string help = "tapix [Optionen] [nCom[,9600,N,8,1]]\n";
  help += PortFieldHelp();
  if (VirtualLineSupported()) {
    help += "  --pty[=LINK]    virtuelle Leitung: Tapix legt ein Pseudo-Terminal an und nennt\n"
            "                  die Gegenstelle (LINK: symbolischer Link auf die Gegenstelle)\n";
  }
  help += "  --no-window     ohne Fenster; Befehle von der Standardeingabe (help)\n"
          "  --help          diese Hilfe\n";
  return help + ExitCodesHelp();
}

std::string ExitCodesHelp() {
  std::string help = "Ende mit:\n";
  help += StopRequestsHelp();
  help += "  1  ohne Schnittstelle: Auswahl abgebrochen oder leer; ohne Fenster keine\n"
          "     Schnittstelle offen und die Standardeingabe zu Ende\n";
  if (VirtualLineSupported()) {
    help += "  2  falscher Aufruf (unbekannte Option) oder Start nicht wie verlangt\n"
            "     m\xF6glich (virtuelle Leitung nicht angelegt)\n";
  } else {
    help += "  2  falscher Aufruf (unbekannte Option)\n";
  }
  return help;
}

int RunProgram(const StartOptions& options, FrontEnd& front_end) {
  // Stop signals are caught from the start, so that a Ctrl+C or SIGTERM that
  // comes early still ends the run through the loop (or cancels the port
  // question) instead of killing the process.
  InstallStopSignals();
  // Last to go: a console that is being closed waits for this before the
  // process ends.
  struct ShutdownDone {
    ~ShutdownDone() { StopSignalsDone(); }
  } shutdown_done;
  StdConsole std_console;
  // The window shows the log too: it keeps the lines from the start on.
  LogHistory console(std_console);
  Session session;
  session.console = &console;
  session.log_history = &console;
  StoreConsoleScope store_console(console);

  SetDefaults(session.settings);
  RunPlatform platform(console, kKeyName, kBasePath);
  platform.Load(session.settings);
  // What the store held is good until a device refuses something else.
  session.accepted = session.settings;
  std::string argument_note;
  if (options.line_argument) {
    ArgumentTrace trace;
    const std::string& argument = *options.line_argument;
    if (!platform.ApplyDevicePath(session.settings, argument, trace))
      ParseArgument(session.settings, argument, &trace);
    argument_note = DescribeArgument(argument, session.settings, trace);
  }

  platform.MarkConsoleWindow();
  ResetOptions(session);
  PrintBanner(console, !options.line_argument);
  if (!argument_note.empty()) console.Log(argument_note);
  for (const std::string& ignored : options.further_arguments) {
    std::string shown;
    for (char c : ignored) shown.push_back(static_cast<unsigned char>(c) < 0x20 ? '?' : c);
    Logf(console, "Argument \"%s\" ignoriert: nur das erste Argument z\xE4hlt\n", shown.c_str());
  }

  // The virtual line is for this run only: it takes a number that no device
  // and no stored entry has, nor the port number the run keeps for the store,
  // so the real ports keep their numbers now and in later runs.
  const std::uint32_t kept_port = session.accepted.port;
  if (options.virtual_line && !platform.StartVirtualLine(options.virtual_link, session, kept_port)) {
    return kExitBadStart;
  }

  if (session.settings.port == 0) {
    if (front_end.ChoosePort(session) == 2 || session.settings.port == 0) return kExitNoPort;
  }

  OpenAndReport(session.settings, session.port, console);
  RememberAccepted(session);
  front_end.Run(session);

  ClosePort(session.port);
  platform.Save(SettingsToSave(session, platform.VirtualPort(), kept_port));
  session.log_history = nullptr;
  return session.exit_code;
}

}  // namespace tapix
