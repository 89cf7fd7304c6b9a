// Tapix: monitor and simulator for the cash register / dispenser line protocol.
#include <memory>
#include <string>
#include <vector>

#include "app/startup.h"
#include "log/text_encoding.h"
#include "platform/console_output.h"
#include "ui/front_ends.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const tapix::StartOptions options = tapix::ParseCommandLine(args);
  const tapix::TextMode mode = tapix::ChooseTextMode(options.raw);
  const std::string& error = options.error;
  if (!error.empty() || options.show_help || options.show_version || options.list_ports) {
    // Through the console as the log uses it (Windows: code page 1252 and
    // "\n" line ends set first), so umlauts and line ends come out alike.
    tapix::ConsoleOutput console;
    if (!error.empty()) {
      console.WriteError(tapix::ForOutput("tapix: " + error + "\n" + tapix::OptionsHelp(), mode));
      return 2;
    }
    std::string text = options.show_version ? "tapix " TAPIX_VERSION "\n" : "";
    if (options.show_help) text += tapix::OptionsHelp();
    if (options.list_ports) text += tapix::PortListing();
    console.Write(tapix::ForOutput(text, mode));
    return 0;
  }
  std::unique_ptr<tapix::FrontEnd> front_end;
  // The Win32 dialog has no tap of its own yet: a tap there runs on the
  // console, whose commands set the option flags the decoders read.
  if (!options.no_window && options.tap_port.empty()) front_end = tapix::MakeWin32FrontEnd();
  if (!front_end && !options.no_window) front_end = tapix::MakeQtFrontEnd(argc, argv);
  if (!front_end) front_end = tapix::MakeHeadlessFrontEnd();
  return tapix::RunProgram(options, *front_end);
}
