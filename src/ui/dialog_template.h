// The Win32 dialog template of the main window as resource-script text,
// rendered from the shared control table. resources/main_window.rc holds its
// output; a test fails when the two differ, so the Qt window and the Win32
// dialog cannot drift apart.
#pragma once

#include <string>
#include <string_view>

namespace tapix {

// A resource-script string literal: code page 1252 bytes, quotes included;
// bytes outside printable ASCII as octal escapes, so the file stays ASCII.
std::string RcString(std::string_view utf8);

// The whole generated file: header comment, code page, language and the
// DIALOGEX 101 block with the 77 controls in template order.
std::string MainWindowRc();

}  // namespace tapix
