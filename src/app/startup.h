// Start-up, the run and shutdown of the program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "serial/present_ports.h"

namespace tapix {

class FrontEnd;

// --detect without a value listens this long, in seconds.
inline constexpr int kDetectSeconds = 30;

struct StartOptions {
  std::optional<std::string> line_argument;  // "nCom[,9600,N,8,1]" or "/dev/…[,…]"
  bool virtual_line = false;                 // --pty
  std::string virtual_link;                  // --pty=LINK
  bool no_window = false;                    // --no-window
  bool show_help = false;                    // --help
  bool show_version = false;                 // --version
  bool list_ports = false;                   // --list
  std::string log_path;                      // --log=FILE
  bool timestamps = false;                   // --timestamps
  bool timestamps_date = false;              // --timestamps=date: the stamps with the date
  std::int64_t log_max = 0;                  // --log-max=SIZE: rotate the log file; 0: never
  int detect_seconds = 0;                    // --detect[=SECONDS]: listen, name the options; 0: no
  bool raw = false;                          // --raw
  std::string tap_port;                      // --tap=SECOND, --tap-listen=SECOND
  bool tap_listen = false;                   // --tap-listen: decode only, forward nothing
  bool explain = false;                      // --explain
  bool hex = false;                          // --hex
  std::string trace_path;                    // --trace=FILE
  std::string script_path;                   // --script=FILE: a scenario, headless
  std::string report_path;                   // --report=FILE: its JUnit XML report
  std::optional<bool> autoconnect;           // --autoconnect, --no-autoconnect (last wins)
  std::string error;                         // an option we do not know
  std::vector<std::string> further_arguments; // positional ones after the first (ignored)
};

// Reads the program's arguments: options start with "--"; the first other
// argument is the line settings, further ones are ignored.
StartOptions ParseCommandLine(const std::vector<std::string>& args);

// The program's own help for its options (the usage lines stay as they are).
std::string OptionsHelp();

// --list: the present ports, one line each: "COMn", then the device and what
// is behind it, each after a tab; a line that says so when there are none.
std::string PortListing();
std::string PortListing(const std::vector<PresentPort>& ports);

// The exit codes, as the help lists them.
std::string ExitCodesHelp();

// Runs the program with a front end: start-up, loop, shutdown. Returns the
// exit code (core/exit_codes.h).
int RunProgram(const StartOptions& options, FrontEnd& front_end);

}  // namespace tapix
