// Tapix: monitor and simulator for the cash register / dispenser line protocol.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/startup.h"
#include "ui/frontend.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const tapix::StartOptions options = tapix::ParseCommandLine(args);
  if (!options.error.empty()) {
    std::fprintf(stderr, "tapix: %s\n%s", options.error.c_str(), tapix::OptionsHelp().c_str());
    return 2;
  }
  if (options.show_help) {
    std::fputs(tapix::OptionsHelp().c_str(), stdout);
    return 0;
  }
  std::unique_ptr<tapix::FrontEnd> front_end;
  if (!options.no_window) front_end = tapix::MakeWin32FrontEnd();
  if (!front_end && !options.no_window) front_end = tapix::MakeQtFrontEnd(argc, argv);
  if (!front_end) front_end = tapix::MakeHeadlessFrontEnd();
  return tapix::RunProgram(options, *front_end);
}
