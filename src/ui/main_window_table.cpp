#include "ui/main_window_table.h"

#include "app/maker.h"

namespace tapix {
namespace {

constexpr int A = kAnonymousId;
using K = ControlKind;

// Window styles (winuser.h values; this file is built on every platform).
constexpr std::uint32_t kChildVisible = 0x50000000;  // WS_CHILD | WS_VISIBLE
constexpr std::uint32_t kGroup = 0x00020000;         // WS_GROUP
constexpr std::uint32_t kTabStop = 0x00010000;       // WS_TABSTOP

}  // namespace

const char* ControlClass(ControlKind kind) {
  switch (kind) {
    case K::Box:
    case K::Button:
      return "Button";
    case K::Field:
      return "Edit";
    case K::Combo:
      return "ComboBox";
    default:
      return "Static";
  }
}

std::uint32_t ControlStyle(ControlKind kind) {
  switch (kind) {
    case K::Picture:  // SS_BITMAP | SS_NOTIFY | SS_REALSIZEIMAGE | SS_SUNKEN
      return kChildVisible | 0x190E;
    case K::Title:  // SS_CENTER | SS_NOTIFY
      return kChildVisible | kGroup | 0x0101;
    case K::Line:  // SS_BLACKFRAME | SS_SUNKEN
      return kChildVisible | 0x1007;
    case K::GroupCaption:  // SS_CENTER | SS_NOTIFY | SS_CENTERIMAGE | SS_SUNKEN
      return kChildVisible | kGroup | 0x1301;
    case K::Label:  // SS_LEFT
      return kChildVisible | kGroup;
    case K::Box:  // BS_AUTOCHECKBOX
      return kChildVisible | kTabStop | 0x0003;
    case K::Field:  // WS_BORDER, ES_NUMBER | ES_AUTOHSCROLL
      return kChildVisible | kTabStop | 0x00800000 | 0x2080;
    case K::Button:  // BS_PUSHBUTTON
      return kChildVisible | kTabStop;
    case K::Combo:  // WS_VSCROLL, CBS_DROPDOWN
      return kChildVisible | kTabStop | 0x00200000 | 0x0002;
  }
  return kChildVisible;
}

std::string ToCodePage1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    // Two-byte sequences up to U+00FF are the Latin-1 half of the code page;
    // everything else (longer sequences, stray bytes) has no place in it here.
    std::size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (len == 2 && i + 1 < utf8.size() && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
      const unsigned code = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      out += code >= 0xA0 ? static_cast<char>(code) : '?';
    } else {
      out += '?';
    }
    i += len;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return out;
}

const std::array<ControlSpec, 77> kMainWindowControls = {{
    {1052, K::Picture, nullptr, 102, 9, 4, 2, 2},
    {1050, K::Title, " 'Ventrix'\n Test und Simulation", 0, 39, 6, 153, 18},
    {A, K::Line, "", 0, 0, 30, 233, 2},
    {1047, K::GroupCaption, "Allgemein:", 0, 3, 38, 69, 14},
    {A, K::Line, "", 0, 78, 33, 2, 222},
    {1001, K::Box, "Prüfsumme", 0, 6, 58, 51, 10},
    {1002, K::Box, "Kellner 3 stellig", 0, 6, 72, 63, 10},
    {1021, K::Box, "Kreditstückzahl", 0, 6, 85, 64, 10},
    {1042, K::Box, "autom. Antwort", 0, 6, 98, 63, 10},
    {1044, K::Box, "Antwort: R/F", 0, 6, 111, 57, 10},
    {1046, K::GroupCaption, "ISB - Mode:", 0, 3, 165, 69, 14},
    {A, K::Label, "Kellner:", 0, 6, 185, 24, 8},
    {1039, K::Field, "", 0, 36, 183, 24, 12},
    {A, K::Label, "PLU:", 0, 6, 203, 17, 8},
    {1040, K::Field, "", 0, 36, 200, 24, 12},
    {A, K::Label, "Tisch:", 0, 6, 222, 20, 8},
    {1041, K::Field, "", 0, 36, 219, 24, 12},
    {1043, K::Box, "sende Daten", 0, 6, 239, 57, 10},
    {1045, K::GroupCaption, "HOST - Mode:", 0, 84, 38, 141, 14},
    {1007, K::Button, "&E", 0, 93, 56, 15, 14},
    {1009, K::Box, "autom. Abfrage", 0, 115, 58, 64, 10},
    {1006, K::Button, "&A", 0, 93, 74, 15, 14},
    {A, K::Label, "K:", 0, 116, 76, 8, 8},
    {1008, K::Field, "", 0, 123, 74, 24, 12},
    {1010, K::Button, "&B", 0, 93, 92, 15, 14},
    {A, K::Label, "K:", 0, 116, 94, 8, 8},
    {1011, K::Field, "", 0, 123, 92, 24, 12},
    {1012, K::Button, "&W", 0, 93, 110, 15, 14},
    {A, K::Label, "K:", 0, 116, 112, 8, 8},
    {1013, K::Field, "", 0, 123, 110, 24, 12},
    {1014, K::Box, "freig", 0, 162, 112, 29, 10},
    {1015, K::Button, "&T", 0, 93, 128, 15, 14},
    {A, K::Label, "K:", 0, 116, 130, 8, 8},
    {1016, K::Field, "", 0, 123, 128, 24, 12},
    {A, K::Label, "T:", 0, 154, 130, 8, 8},
    {1018, K::Field, "", 0, 162, 128, 24, 12},
    {1017, K::Box, "freig", 0, 189, 130, 29, 10},
    {1019, K::Button, "&C", 0, 93, 146, 15, 14},
    {A, K::Label, "K:", 0, 116, 148, 8, 8},
    {1020, K::Field, "", 0, 123, 146, 24, 12},
    {1022, K::Button, "&K", 0, 93, 164, 15, 14},
    {A, K::Label, "S:", 0, 116, 166, 8, 8},
    {1023, K::Field, "", 0, 123, 164, 24, 12},
    {A, K::Label, "P:", 0, 154, 166, 8, 8},
    {1024, K::Field, "", 0, 162, 164, 24, 12},
    {1025, K::Button, "&S", 0, 93, 182, 15, 14},
    {A, K::Label, "S:", 0, 116, 184, 8, 8},
    {1026, K::Field, "", 0, 123, 182, 24, 12},
    {A, K::Label, "P:", 0, 154, 184, 8, 8},
    {1027, K::Field, "", 0, 162, 182, 24, 12},
    {1028, K::Button, "&Q", 0, 93, 200, 15, 14},
    {A, K::Label, "S:", 0, 116, 202, 8, 8},
    {1029, K::Field, "", 0, 123, 200, 24, 12},
    {A, K::Label, "K:", 0, 154, 202, 8, 8},
    {1031, K::Field, "", 0, 162, 200, 24, 12},
    {A, K::Label, "P:", 0, 194, 202, 8, 8},
    {1030, K::Field, "", 0, 201, 200, 24, 12},
    {1032, K::Button, "&q", 0, 93, 218, 15, 14},
    {A, K::Label, "S:", 0, 116, 220, 8, 8},
    {1033, K::Field, "", 0, 123, 218, 24, 12},
    {A, K::Label, "K:", 0, 154, 220, 8, 8},
    {1035, K::Field, "", 0, 162, 220, 24, 12},
    {A, K::Label, "P:", 0, 194, 220, 8, 8},
    {1034, K::Field, "", 0, 201, 218, 24, 12},
    {1036, K::Button, "&@", 0, 93, 236, 15, 14},
    {A, K::Label, "T:", 0, 116, 238, 8, 8},
    {1037, K::Field, "", 0, 123, 236, 24, 12},
    {A, K::Label, "K:", 0, 154, 238, 8, 8},
    {1038, K::Field, "", 0, 162, 236, 24, 12},
    {A, K::Line, "", 0, 0, 254, 234, 2},
    {1051, K::Picture, nullptr, 104, 6, 287, 41, 17},
    {1048, K::Label, maker::kMail, 0, 54, 285, 78, 8},
    {1049, K::Label, maker::kWebHost, 0, 54, 295, 78, 8},
    {1000, K::Button, "Einstellen ...", 0, 57, 260, 51, 15},
    {1, K::Button, "Beenden", 0, 186, 287, 39, 14},
    {1101, K::Combo, "", 0, 5, 261, 45, 60},
    {A, K::Line, "", 0, 0, 280, 234, 2},
}};

const std::array<ToolText, 49> kControlTips = {{
    {1048, "Senden sie eine e-mail an Brixner"},
    {1049, "Besuchen sie die WEB-Site von Brixner"},
    {1101, "Serielle Schnittstelle Nummer auswählen"},
    {1000, "Schnittstellenparameter (COM-Port) einstellen"},
    {1, "Tapix Test beenden"},
    {1047, "Allgemeine Einstellungen der Übertragung"},
    {1001, "Nachrichten mit Prüfsumme senden und bei Empfang prüfen"},
    {1002, "Kellnernummern 3 stellig senden"},
    {1021, "Kreditdatensätze enthalten die Stückzahl"},
    {1042, "eingehende Datensätze automatisch beantworten"},
    {1046, "Einstellungen zur Simulation der Schankanlage"},
    {1039, "Kellnernummer"},
    {1040, "PLU Nummer"},
    {1041, "Tischnummer"},
    {1043, "sende Entnahmedaten bei nächster Abfrage"},
    {1044, "beantworte Nachrichten mit R=OK"},
    {1045, "Einstellungen zur Simulation einer Kasse"},
    {1007, "Datensatz abfragen"},
    {1009, "Datensatz automatisch alle 0,5 Sekunden abfragen"},
    {1006, "Freigabe eines Kellners"},
    {1008, "Kellnernummer"},
    {1010, "Sperre eines Kellners"},
    {1011, "Kellnernummer"},
    {1012, "An/Abmeldung eines Kellners"},
    {1013, "Kellnernummer"},
    {1014, "Check = Abmelden"},
    {1015, "Kellnerbezogene Tischfreigabe/sperre"},
    {1016, "Kellnernummer"},
    {1018, "Tischnummer"},
    {1017, "Check = Freigabe"},
    {1019, "Löschen eines Kellnerumsatzes 000=alle Kellner"},
    {1020, "Kellnernummer"},
    {1022, "Freigabe Kredit"},
    {1023, "Stückzahl"},
    {1024, "PLU Nummer"},
    {1025, "Storno Kredit"},
    {1026, "Stückzahl"},
    {1027, "PLU Nummer"},
    {1028, "Freigabe kellnerbezogener Kredit"},
    {1029, "Stückzahl"},
    {1031, "Kellnernummer"},
    {1030, "PLU Nummer"},
    {1032, "Storno kellnerbezogener Kredit"},
    {1033, "Stückzahl"},
    {1035, "Kellnernummer"},
    {1034, "PLU Nummer"},
    {1036, "Tischbelegung"},
    {1037, "Tischnummer"},
    {1038, "Kellnernummer"},
}};

const char* InfoTipText(int id) {
  switch (id) {
    case 1052:
    case 1050:  // the title tells about the program, like its picture
      return "Ventrix Test\r\nImplementierung nach\r\n"
             "Schnittstellenbeschreibung ISB vom 6.7.2000";
    case 1051:
      return "Ing. Brixner\r\nSoftwareengineering\r\n"
             "Entwicklung kundenspezifischer Softwarelösungen";
    default:
      return nullptr;
  }
}

}  // namespace tapix
