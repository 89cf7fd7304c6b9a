// The report of a scenario run (--report=FILE) in the JUnit XML format that
// CI systems show: one test case per "expect", with the time it waited and,
// when it was not met, the failure line's text; expectations the run never
// reached are skipped.
#pragma once

#include <chrono>
#include <string>

#include "app/scenario.h"

namespace tapix {

// The report as UTF-8 XML; `total` is the time the whole run took.
std::string JunitReport(const Scenario& scenario, std::chrono::milliseconds total);

// Writes the report; false (with `error` the system's text) when the file
// cannot be written whole.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace tapix
