// The console front end's work that does not depend on how it waits: the
// port question and what each event does. The wait itself is one file per
// platform (headless_frontend_linux.cpp: poll(); _win32.cpp: one
// WaitForMultipleObjects).
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/session.h"

namespace tapix {

// Reads the operator's answer line; false at the end of input or when a stop
// (Ctrl+C) comes first.
using AnswerReader = std::function<bool(std::string*)>;

// The platform's wait (headless_frontend_linux.cpp / _win32.cpp):
// Reads one answer line for the port question (nothing after it is taken
// from the command lines that follow); false at the end of input or when a
// stop (Ctrl+C) comes first.
bool ReadAnswerLine(std::string* line);
// Runs the loop with the headless panel in place until session.quit_requested.
void RunHeadlessLoop(Session& session);

// The port question on the console: the present ports, then a number read
// with `read_answer`. 1 after an answer (settings.port holds the choice, 0
// for none), 2 when the input ended or a stop came first.
int AskForPort(Session& session, const AnswerReader& read_answer);

// Without a window, a port or more input nothing can happen any more: the
// run ends (one line, exit code kExitNoPort). True when it ended.
bool EndWithoutPortOrInput(Session& session, bool input_open);

// A command line from standard input, and the pass that follows it.
void OnConsoleLine(Session& session, std::string_view line);
// A tick of the query timer, and the pass that follows it.
void OnQueryTick(Session& session);
// Input on the port: one polling pass, then the hang-up check.
void OnPortInput(Session& session);
// A stop request (Ctrl+C, closing the console): "Beenden".
void OnStop(Session& session);

}  // namespace tapix
