#include "ui/dialog_template.h"

#include <cstdio>

#include "ui/main_window_table.h"

namespace tapix {

std::string RcString(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : ToCodePage1252(utf8)) {
    const auto b = static_cast<unsigned char>(c);
    if (b == '"') {
      out += "\"\"";
    } else if (b == '\\') {
      out += "\\\\";
    } else if (b == '\n') {
      out += "\\n";
    } else if (b < 0x20 || b >= 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\%03o", b);
      out += esc;
    } else {
      out += static_cast<char>(b);
    }
  }
  return out + "\"";
}

std::string MainWindowRc() {
  std::string rc =
      "// Generated from src/ui/main_window_table.cpp by make_dialog_rc; do not edit.\n"
      "// Regenerate: scripts/make-dialog-rc\n"
      "#pragma code_page(1252)\n"
      "LANGUAGE 0x07, 0x03  // German (Austria)\n\n";
  char line[200];
  std::snprintf(line, sizeof line, "%d DIALOGEX 0, 0, %d, %d\nSTYLE 0x%08X\n",
                kMainWindowTemplate, kMainWindowWidth, kMainWindowHeight,
                static_cast<unsigned>(kMainWindowStyle));
  rc += line;
  rc += "CAPTION " + RcString(kMainWindowTitle) + "\n";
  rc += "FONT 8, \"MS Sans Serif\"\nBEGIN\n";
  for (const ControlSpec& c : kMainWindowControls) {
    // A picture's text is the number of its bitmap resource.
    const std::string text =
        c.kind == ControlKind::Picture ? std::to_string(c.bitmap) : RcString(c.caption ? c.caption : "");
    std::snprintf(line, sizeof line, ", %d, \"%s\", 0x%08X, %d, %d, %d, %d\n", c.id,
                  ControlClass(c.kind), static_cast<unsigned>(ControlStyle(c.kind)), c.x, c.y,
                  c.width, c.height);
    rc += "    CONTROL " + text + line;
  }
  rc += "END\n";
  return rc;
}

}  // namespace tapix
