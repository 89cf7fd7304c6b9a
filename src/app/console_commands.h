// Console commands: one per line on standard input, working with or without the
// window. They change the window's controls as a person would, then press the
// button, so every rule of the button applies. Each command that changes
// something answers with one line ("OK: AnswerOk aus"), so that a program
// driving Tapix through a pipe can wait for it.
#pragma once

#include <string>
#include <string_view>

#include "app/command_reader.h"
#include "app/session.h"

namespace tapix {

// Runs a command that ReadCommand read. Returns its acknowledgement line
// ("OK: …\n"), empty when the command changed nothing (help, quit, mark,
// an empty line) or was refused (said in one console line). A request is
// queued here; the caller writes it.
std::string RunCommand(Session& session, const Command& command);

// Reads and runs one line (without its line end). A line that is not a
// command gets one console line saying so, and nothing else changes.
// Returns the acknowledgement as RunCommand does.
std::string ExecuteCommandLine(Session& session, std::string_view line);

// The help text, one command a line.
std::string CommandHelp();

}  // namespace tapix
