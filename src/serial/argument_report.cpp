// The line that tells the operator what was taken from a command-line
// argument the grammar could not read whole.
#include <cstdio>
#include <string>

#include "serial/port_settings.h"

namespace tapix {

namespace {

constexpr std::size_t kShownMax = 60;

// The argument as text that is safe on a terminal: control bytes and bytes
// above 0x7E as \xNN, and cut short when it is long.
std::string Shown(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (out.size() >= kShownMax) {
      out += "...";
      break;
    }
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte > 0x7E || byte == '"' || byte == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out.push_back(static_cast<char>(byte));
    }
  }
  return out;
}

const char* FieldName(LineField field) {
  switch (field) {
    case LineField::Rate: return "Baud-Rate";
    case LineField::Parity: return "Parity";
    case LineField::DataBits: return "Daten-Bits";
    case LineField::StopBits: return "Stop-Bits";
    case LineField::None: break;
  }
  return "";
}

std::string Taken(LineField field, const DCB& dcb) {
  char text[32] = "";
  switch (field) {
    case LineField::Rate:
      std::snprintf(text, sizeof text, "%u Baud", static_cast<unsigned>(dcb.BaudRate));
      break;
    case LineField::Parity:
      std::snprintf(text, sizeof text, "Parity %c", dcb.Parity < 5 ? "NOEMS"[dcb.Parity] : '?');
      break;
    case LineField::DataBits:
      std::snprintf(text, sizeof text, "%u Daten-Bits", static_cast<unsigned>(dcb.ByteSize));
      break;
    case LineField::StopBits:
      std::snprintf(text, sizeof text, "%s Stop-Bits",
                    dcb.StopBits == ONESTOPBIT ? "1" : dcb.StopBits == ONE5STOPBITS ? "1.5" : "2");
      break;
    case LineField::None:
      break;
  }
  return text;
}

}  // namespace

std::string DescribeArgument(std::string_view text, const PortSettings& settings,
                             const ArgumentTrace& trace) {
  const bool all_read = trace.read >= text.size();
  if (all_read && trace.refused.empty() && trace.port_digits) return {};

  std::string line = "Argument \"" + Shown(text) + "\": genommen: COM" + std::to_string(settings.port);
  if (!trace.port_digits) line += " (keine Portnummer)";
  for (LineField field : trace.applied) line += ", " + Taken(field, settings.dcb);
  if (!trace.refused.empty()) {
    line += "; nicht angenommen:";
    const char* separator = " ";
    for (const auto& [field, value] : trace.refused) {
      line += separator;
      line += FieldName(field);
      line += " \"" + Shown(value) + "\"";
      separator = ", ";
    }
  }
  if (!all_read) line += "; nicht gelesen: \"" + Shown(text.substr(trace.read)) + "\"";
  line += " (Form: nCom[,9600,N,8,1]; tapix --help)\n";
  return line;
}

}  // namespace tapix
