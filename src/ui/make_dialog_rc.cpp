// Writes the main window's dialog template (resource script) to standard
// output, from the shared control table. scripts/make-dialog-rc runs it.
#include <cstdio>

#include "ui/dialog_template.h"

int main() {
  const std::string rc = tapix::MainWindowRc();
  return std::fwrite(rc.data(), 1, rc.size(), stdout) == rc.size() ? 0 : 1;
}
