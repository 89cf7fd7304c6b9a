// The program's exit codes, the same on every platform.
#pragma once

namespace tapix {

// A normal end: "Beenden", quit, Ctrl+C or SIGTERM, the end of a normal run.
inline constexpr int kExitNormal = 0;
// Ended without a usable port: the port question cancelled or answered with
// no port of the list; without a window, no port open and standard input at
// its end, so that nothing more can happen.
inline constexpr int kExitNoPort = 1;
// --detect: no combination of the options explains the traffic heard.
inline constexpr int kExitNotExplained = 1;
// A bad command line, or a start that cannot be done as asked (an unknown
// option; a virtual line that could not be made).
inline constexpr int kExitBadStart = 2;
// A scenario (--script) did not pass: an expectation was not met, or the run
// ended before the scenario's end.
inline constexpr int kExitExpectationFailed = 3;
// The --log file could not be written to the end (a full disk): the record
// is not whole. Said instead of 0 or 1, whose end it would otherwise be.
inline constexpr int kExitLogLost = 4;

}  // namespace tapix
