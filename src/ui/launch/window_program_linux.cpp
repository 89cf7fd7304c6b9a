// The window front end of the `tapix` program: `tapix` itself never loads Qt.
// When a window can open, it replaces itself with the window program
// (tapix-window, the same program built with the Qt front end), which gets the
// same arguments, environment, descriptors and process ID; so headless runs
// pay neither the memory nor the start-up time of Qt and its libraries.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "ui/front_ends.h"
#include "platform/display.h"

namespace tapix {
namespace {

// Where the window program is, from the folder of this program: beside it in
// the build folder, in the folder it is installed to (relative to the
// program's own, so the installed tree can move) otherwise. "" when neither
// exists.
std::string WindowProgram() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return "";
  const std::filesystem::path folder = self.parent_path();
  for (const std::filesystem::path& candidate :
       {folder / TAPIX_WINDOW_PROGRAM, folder / TAPIX_WINDOW_PROGRAM_DIR / TAPIX_WINDOW_PROGRAM}) {
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return "";
}

}  // namespace

std::unique_ptr<FrontEnd> MakeQtFrontEnd(int&, char** argv) {
  if (!DisplayAvailable()) return nullptr;
  const std::string program = WindowProgram();
  if (program.empty()) {
    std::fprintf(stderr, "tapix: kein Fensterprogramm (%s) gefunden, weiter ohne Fenster\n",
                 TAPIX_WINDOW_PROGRAM);
    return nullptr;
  }
  ::execv(program.c_str(), argv);
  std::fprintf(stderr, "tapix: %s: %s, weiter ohne Fenster\n", program.c_str(), std::strerror(errno));
  return nullptr;
}

}  // namespace tapix
