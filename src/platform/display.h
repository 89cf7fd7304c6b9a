// Whether Qt can open a display, decided before a QApplication exists (its
// constructor ends the process when the platform cannot start).
#pragma once

#include <functional>
#include <string>

namespace tapix {

// Reads an environment variable; "" when unset.
using EnvReader = std::function<std::string(const char* name)>;

// True when QT_QPA_PLATFORM names a platform that needs no display server, or
// when an X11 or Wayland display named in the environment accepts a
// connection.
bool DisplayAvailable(const EnvReader& env);

// The same with the process environment.
bool DisplayAvailable();

}  // namespace tapix
