// Console commands: one per line on standard input, working with or without the
// window. They change the window's controls as a person would, then press the
// button, so every rule of the button applies.
#pragma once

#include <string>
#include <string_view>

#include "app/session.h"

namespace tapix {

// Executes one line (without its line end). A line that is not a command gets
// one console line saying so, and nothing else changes.
void ExecuteCommandLine(Session& session, std::string_view line);

// The help text, one command a line.
std::string CommandHelp();

}  // namespace tapix
