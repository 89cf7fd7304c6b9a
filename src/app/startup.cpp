#include "app/startup.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "log/console.h"
#include "app/exit_codes.h"
#include "log/log_chain.h"
#include "app/junit_report.h"
#include "app/maker.h"
#include "app/scenario.h"
#include "app/script_reader.h"
#include "app/session.h"
#include "app/statistics.h"
#include "app/trace.h"
#include "platform/signals.h"
#include "app/run_platform.h"
#include "app/tap_start.h"
#include "app/window_commands.h"
#include "app/port_open.h"
#include "serial/port.h"
#include "platform/console_output.h"
#include "settings/store_notices.h"
#include "app/front_end.h"
#include "app/loop.h"
#include "app/options_watch.h"

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

// What the settings store had to say at the last load or save.
void ReportStoreNotices(Console& console) {
  for (const std::string& line : TakeStoreNotices()) console.Log(line);
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

int RunLogged(const StartOptions& options, FrontEnd& front_end, LogChain& chain, TraceFile* trace,
              Scenario* scenario);

// --detect=SECONDS: 1 to 86400 (a day), written as plain digits; 0 for
// anything else.
int DetectSeconds(std::string_view text) {
  if (text.empty() || text.size() > 5) return 0;
  int seconds = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    seconds = seconds * 10 + (c - '0');
  }
  return seconds <= 86400 ? seconds : 0;
}

}  // namespace

StartOptions ParseCommandLine(const std::vector<std::string>& args) {
  StartOptions options;
  const std::pair<const char*, bool*> switches[] = {
      {"--help", &options.show_help},   {"--version", &options.show_version},
      {"--list", &options.list_ports},  {"--timestamps", &options.timestamps},
      {"--raw", &options.raw},          {"--tap-listen", &options.tap_listen},
      {"--no-window", &options.no_window}, {"--headless", &options.no_window},
      {"--explain", &options.explain},  {"--hex", &options.hex},
  };
  const std::pair<const char*, std::string*> values[] = {
      {"--log=", &options.log_path},
      {"--tap=", &options.tap_port},
      {"--tap-listen=", &options.tap_port},
      {"--trace=", &options.trace_path},
      {"--script=", &options.script_path},
      {"--report=", &options.report_path},
  };
  auto fail = [&options](std::string text) {
    if (options.error.empty()) options.error = std::move(text);
  };
  for (const std::string& arg : args) {
    if (arg.rfind("--", 0) != 0) {
      if (!options.line_argument) {
        options.line_argument = arg;
      } else {
        options.further_arguments.push_back(arg);
      }
      continue;
    }
    bool known = false;
    for (const auto& [name, flag] : switches) {
      if (arg == name) known = *flag = true;
    }
    for (const auto& [prefix, value] : values) {
      if (arg.rfind(prefix, 0) != 0) continue;
      known = true;
      *value = arg.substr(std::string_view(prefix).size());
      if (value->empty()) fail(std::string(prefix) + " braucht einen Wert");
      if (arg.rfind("--tap-listen=", 0) == 0) options.tap_listen = true;
    }
    if (arg == "--pty" || arg.rfind("--pty=", 0) == 0) {
      known = true;
      if (!VirtualLineSupported()) {
        fail(arg + " gibt es nur unter Linux");
        continue;
      }
      options.virtual_line = true;
      options.virtual_link = arg.size() > 5 ? arg.substr(6) : "";
      if (arg == "--pty=") fail("--pty= braucht einen Pfad");
    }
    if (arg == "--autoconnect" || arg == "--no-autoconnect") {
      known = true;
      options.autoconnect = arg == "--autoconnect";
    }
    if (arg.rfind("--timestamps=", 0) == 0) {
      known = true;
      if (arg == "--timestamps=date") {
        options.timestamps = options.timestamps_date = true;
      } else {
        fail(arg + ": --timestamps= kennt nur date");
      }
    }
    if (arg.rfind("--log-max=", 0) == 0) {
      known = true;
      const std::optional<std::int64_t> size = ParseLogSize(std::string_view(arg).substr(10));
      options.log_max = size.value_or(0);
      if (!size) fail(arg + ": eine Gr\xF6\xDF" "e wie 10M, 500k oder 100000 (Bytes), mindestens 1k");
    }
    if (arg == "--detect" || arg.rfind("--detect=", 0) == 0) {
      known = true;
      options.detect_seconds = arg == "--detect" ? kDetectSeconds : DetectSeconds(arg.substr(9));
      if (options.detect_seconds == 0) fail(arg + ": Sekunden von 1 bis 86400");
    }
    if (!known) fail("unbekannte Option " + arg);
  }
  if (options.log_max != 0 && options.log_path.empty()) fail("--log-max braucht --log=DATEI");
  // A diagnosis that ends by itself with its answer: on the console.
  if (options.detect_seconds != 0) options.no_window = true;
  if (options.tap_listen && options.tap_port.empty()) fail("--tap-listen braucht --tap=ZWEITER");
  if (!options.tap_port.empty() && options.virtual_line) fail("--tap geht nicht mit --pty");
  if (!options.report_path.empty() && options.script_path.empty())
    fail("--report braucht --script=DATEI");
  if (!options.script_path.empty() && !options.tap_port.empty())
    fail("--script geht nicht mit --tap");
  // A scenario runs without the window: nothing there can race it.
  if (!options.script_path.empty()) options.no_window = true;
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
          "  --log=DATEI     jede Zeile und jedes gesendete Byte auch in DATEI (angeh\xE4ngt)\n"
          "  --log-max=GR\xD6\xDF" "E  DATEI h\xF6" "chstens so gro\xDF (10M, 500k): dann wird sie DATEI.1\n"
          "                  und eine neue DATEI beginnt (eine Generation bleibt)\n"
          "  --timestamps    jede Zeile mit Uhrzeit [HH:MM:SS.mmm] (Ankunft des ersten Bytes)\n"
          "  --timestamps=date  ebenso, mit Datum: [TT.MM.JJJJ HH:MM:SS.mmm]\n"
          "  --raw           Texte als Bytes der Codepage 1252, Steuerzeichen unver\xE4ndert\n"
          "                  (sonst mit UTF-8-Locale: UTF-8, Steuerzeichen sichtbar)\n"
          "  --tap=ZWEITER   zwischen Kasse (nCom) und Schankanlage (ZWEITER, Nummer oder\n"
          "                  Ger\xE4tepfad): leitet alles weiter und protokolliert beide Richtungen\n"
          "  --tap-listen=ZWEITER  wie --tap, leitet aber nichts weiter (Y-Kabel)\n"
          "  --explain       jede Nachricht mit Bedeutung (Art, Felder mit Namen), jede\n"
          "                  Antwort mit Antwortzeit (nach N ms); unerwartete Bytes einer\n"
          "                  Lesung in einer Zeile; am Ende eine Zusammenfassung\n"
          "  --hex           jede Nachricht auch als Bytes in Hex (mit Pr\xFC" "fzeichen)\n"
          "  --trace=DATEI   jedes Ereignis als JSON-Zeile in DATEI (angeh\xE4ngt), mit Zeit,\n"
          "                  Richtung, Bytes, Art, Pr\xFC" "fzeichen, Feldern, Antwortzeit\n"
          "  --detect[=SEKUNDEN]  nur mith\xF6ren (ohne Fenster, 30 s oder bis genug Nachrichten\n"
          "                  da sind) und nennen, zu welchen Optionen Pr\xFC" "fsumme, Kellner\n"
          "                  3-stellig und Kreditst\xFC" "ckzahl der Verkehr passt\n"
          "  --script=DATEI  ein Szenario abspielen, ohne Fenster: Befehle, expect, wait,\n"
          "                  send, mark, answer next, records (siehe man tapix); Ende\n"
          "                  von selbst mit 0 (bestanden), 3 oder 2 (nicht lesbar)\n"
          "  --report=DATEI  mit --script: Bericht im JUnit-XML-Format, ein Testfall je expect\n"
          "  --autoconnect   eine Schnittstelle, die wegbricht (Ger\xE4t entfernt, Gegenstelle\n"
          "                  beendet), wieder \xF6" "ffnen, sobald sie zur\xFC" "ck ist (beim Mith\xF6ren\n"
          "                  immer); gilt statt des gespeicherten Werts Autoconnect und wird\n"
          "                  am Ende mit gespeichert\n"
          "  --no-autoconnect  eine weggebrochene Schnittstelle nicht wieder \xF6" "ffnen\n"
          "  --list          vorhandene Schnittstellen mit Nummer und Ger\xE4t\n"
          "  --version       Versionsnummer\n"
          "  --help          diese Hilfe\n";
  return help + ExitCodesHelp();
}

std::string PortListing() {
  LoadPortNumbers(kKeyName, kBasePath);
  return PortListing(PresentPorts());
}

std::string PortListing(const std::vector<PresentPort>& ports) {
  std::string text;
  for (const PresentPort& port : ports) {
    text += "COM" + std::to_string(port.number);
    if (!port.device.empty()) text += "\t" + port.device;
    if (!port.behind.empty()) text += "\t" + port.behind;
    text += "\n";
  }
  return text.empty() ? "Keine Schnittstelle gefunden.\n" : text;
}

std::string ExitCodesHelp() {
  std::string help = "Ende mit:\n";
  help += StopRequestsHelp();
  help += "  1  ohne Schnittstelle: Auswahl abgebrochen oder leer; ohne Fenster keine\n"
          "     Schnittstelle offen und die Standardeingabe zu Ende\n"
          "     --detect: keine Kombination der Optionen erkl\xE4rt den Verkehr\n";
  if (VirtualLineSupported()) {
    help += "  2  falscher Aufruf (unbekannte Option) oder Start nicht wie verlangt\n"
            "     m\xF6glich (virtuelle Leitung nicht angelegt, Protokolldatei nicht\n"
            "     ge\xF6" "ffnet, Schnittstelle zum Mith\xF6ren nicht ge\xF6" "ffnet)\n";
  } else {
    help += "  2  falscher Aufruf (unbekannte Option) oder Start nicht wie verlangt\n"
            "     m\xF6glich (Protokolldatei nicht ge\xF6" "ffnet, Schnittstelle zum\n"
            "     Mith\xF6ren nicht ge\xF6" "ffnet)\n";
  }
  help += "     oder ein Szenario (--script) nicht lesbar: DATEI:ZEILE:SPALTE\n";
  help += "  3  ein Szenario (--script) nicht bestanden: eine Erwartung nicht erf\xFCllt\n"
          "     oder vor seinem Ende beendet\n";
  help += "  4  die Protokolldatei (--log) nicht bis zum Ende geschrieben (Platte voll);\n"
          "     statt 0 oder 1; ebenso die Trace-Datei (--trace)\n";
  return help;
}

namespace {

constexpr const char* kNotOpened = " nicht ge\xF6" "ffnet: ";

// A file the start needs and could not make: one line on standard error (the
// path as given, bytes of the command line; the words for the terminal), and
// the start ends.
int FileRefused(const char* what, const std::string& path, const char* failed,
                const std::string& error, TextMode mode) {
  ConsoleOutput().WriteError("tapix: " + ForOutput(what, mode) + path +
                             ForOutput(failed + error, mode) + "\n");
  return kExitBadStart;
}

}  // namespace

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
  const TextMode mode = ChooseTextMode(options.raw);
  std::string error;
  LogChain::Extras extras;
  extras.stamp_form = options.timestamps_date ? StampForm::DateTime : StampForm::Time;
  extras.log_max = options.log_max;
  // A scenario is read whole, and its report's file made, before anything
  // opens: a mistake ends the start with nothing sent.
  std::unique_ptr<Scenario> scenario;
  if (!options.script_path.empty()) {
    Script script;
    if (!LoadScript(options.script_path, script, error)) {
      ConsoleOutput().WriteError("tapix: " + ForOutput(error, mode) + "\n");
      return kExitBadStart;
    }
    scenario = std::make_unique<Scenario>(std::move(script));
    if (!options.report_path.empty() &&
        !WriteTextFile(options.report_path, JunitReport(*scenario, {}), error)) {
      return FileRefused("Bericht ", options.report_path, " nicht geschrieben: ", error, mode);
    }
  }
  const std::unique_ptr<LogChain> chain =
      LogChain::Make(options.log_path, options.timestamps, mode, extras, &error);
  if (!chain) return FileRefused("Protokolldatei ", options.log_path, kNotOpened, error, mode);
  std::unique_ptr<TraceFile> trace;
  if (!options.trace_path.empty()) {
    trace = TraceFile::Open(options.trace_path, &error);
    if (!trace) return FileRefused("Trace-Datei ", options.trace_path, kNotOpened, error, mode);
  }
  const auto started = std::chrono::steady_clock::now();
  int code = RunLogged(options, front_end, *chain, trace.get(), scenario.get());
  if (scenario && !options.report_path.empty()) {
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    if (!WriteTextFile(options.report_path, JunitReport(*scenario, took), error)) {
      chain->Top().Log("Bericht " + options.report_path + " nicht geschrieben: " + error + "\n");
      if (code == kExitNormal) code = kExitBadStart;
    }
  }
  // A record that is not whole says so in the exit code, over the end it had.
  const bool whole = chain->FinishLog() && !(trace && trace->Lost());
  if (!whole && (code == kExitNormal || code == kExitNoPort)) return kExitLogLost;
  return code;
}

namespace {

int RunLogged(const StartOptions& options, FrontEnd& front_end, LogChain& chain, TraceFile* trace,
              Scenario* scenario) {
  Console& console = chain.Top();
  Session session;
  session.console = &console;
  session.log_style.explain = options.explain;
  session.log_style.hex = options.hex;
  Statistics statistics(session.answer_times);
  session.statistics = &statistics;
  // The trace reads the options a written message was made under.
  if (trace) trace->Follow(session.options);
  session.observers.push_back(&statistics);
  if (trace) session.observers.push_back(trace);
  session.scenario = scenario;
  if (scenario) session.observers.push_back(scenario);
  // The window shows the log too: it keeps the lines from the start on.
  session.log_history = &chain.History();

  SetDefaults(session.settings);
  RunPlatform platform(console, kKeyName, kBasePath);
  platform.Load(session.settings);
  ReportStoreNotices(console);
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
  // The option wins over the stored value and, like the line argument, is
  // what the end of the run saves.
  if (options.autoconnect) session.settings.Autoconnect = *options.autoconnect ? 1 : 0;

  platform.MarkConsoleWindow();
  ResetOptions(session);
  // The diagnosis listens: an answer under options not known yet could be
  // wrong, and the traffic is the peers' own.
  if (options.detect_seconds != 0) session.options.AutoAnswer = 0;
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
    if (front_end.ChoosePort(session) == PortChoice::Cancelled || session.settings.port == 0)
      return kExitNoPort;
  }

  // With the tap, the port of the first argument is its cash register's side.
  OpenAndReport(session, session.settings, session.port,
                options.tap_port.empty() ? Direction::FromPeer : Direction::FromRegister);
  RememberAccepted(session);
  std::unique_ptr<Tap> tap;
  if (!options.tap_port.empty()) {
    tap = StartTap(session, options.tap_port, !options.tap_listen);
    if (!tap) {
      CloseSessionPort(session);
      return kExitBadStart;
    }
    session.tap = tap.get();
  }
  // Which options the traffic fits: the hint always, or the diagnosis.
  OptionsWatch watch =
      options.detect_seconds != 0
          ? OptionsWatch::Detect(session, std::chrono::steady_clock::now(),
                                 std::chrono::seconds(options.detect_seconds))
          : OptionsWatch::Hint(session);
  session.observers.push_back(&watch);
  session.options_watch = &watch;
  if (tap) {
    tap->SetHearer([&watch](Direction direction, std::string_view bytes, const ByteTime& when) {
      watch.Heard(direction, bytes, when);
    });
  }
  front_end.Run(session);
  // What the tap still holds or reads is published before it goes.
  if (tap) tap->Finish();
  // A diagnosis stopped early still says what it heard.
  watch.Finish(std::chrono::steady_clock::now());
  // A scenario the loop left before its end has not passed.
  if (scenario) scenario->Finish(session);
  session.options_watch = nullptr;
  std::erase(session.observers, static_cast<TrafficObserver*>(&watch));
  session.tap = nullptr;
  tap.reset();

  CloseSessionPort(session);
  // The summary closes a run that asked for a diagnosis; a plain run's
  // output stays as scripts read it.
  if (options.explain || trace) console.Log(statistics.Summary(true));
  if (trace && trace->Lost()) console.Log("Trace-Datei unvollst\xE4ndig: Schreibfehler\n");
  platform.Save(SettingsToSave(session, platform.VirtualPort(), kept_port));
  ReportStoreNotices(console);
  session.log_history = nullptr;
  return session.exit_code;
}

}  // namespace

}  // namespace tapix
