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
    {ctl::ProgramPicture, K::Picture, nullptr, kProgramBitmap, 9, 4, 2, 2},
    {ctl::TitleCaption, K::Title, " 'Ventrix'\n Test und Simulation", 0, 39, 6, 153, 18},
    {A, K::Line, "", 0, 0, 30, 233, 2},
    {ctl::GeneralCaption, K::GroupCaption, "Allgemein:", 0, 3, 38, 69, 14},
    {A, K::Line, "", 0, 78, 33, 2, 222},
    {ctl::Checksum, K::Box, "Prüfsumme", 0, 6, 58, 51, 10},
    {ctl::Waiter3, K::Box, "Kellner 3 stellig", 0, 6, 72, 63, 10},
    {ctl::CreditQuantity, K::Box, "Kreditstückzahl", 0, 6, 85, 64, 10},
    {ctl::AutoAnswer, K::Box, "autom. Antwort", 0, 6, 98, 63, 10},
    {ctl::AnswerOk, K::Box, "Antwort: R/F", 0, 6, 111, 57, 10},
    {ctl::IsbCaption, K::GroupCaption, "ISB - Mode:", 0, 3, 165, 69, 14},
    {A, K::Label, "Kellner:", 0, 6, 185, 24, 8},
    {ctl::IsbWaiter, K::Field, "", 0, 36, 183, 24, 12},
    {A, K::Label, "PLU:", 0, 6, 203, 17, 8},
    {ctl::IsbPlu, K::Field, "", 0, 36, 200, 24, 12},
    {A, K::Label, "Tisch:", 0, 6, 222, 20, 8},
    {ctl::IsbTable, K::Field, "", 0, 36, 219, 24, 12},
    {ctl::SendRecord, K::Box, "sende Daten", 0, 6, 239, 57, 10},
    {ctl::HostCaption, K::GroupCaption, "HOST - Mode:", 0, 84, 38, 141, 14},
    {ctl::BtnE, K::Button, "&E", 0, 93, 56, 15, 14},
    {ctl::AutoQuery, K::Box, "autom. Abfrage", 0, 115, 58, 64, 10},
    {ctl::BtnA, K::Button, "&A", 0, 93, 74, 15, 14},
    {A, K::Label, "K:", 0, 116, 76, 8, 8},
    {ctl::FieldAWaiter, K::Field, "", 0, 123, 74, 24, 12},
    {ctl::BtnB, K::Button, "&B", 0, 93, 92, 15, 14},
    {A, K::Label, "K:", 0, 116, 94, 8, 8},
    {ctl::FieldBWaiter, K::Field, "", 0, 123, 92, 24, 12},
    {ctl::BtnW, K::Button, "&W", 0, 93, 110, 15, 14},
    {A, K::Label, "K:", 0, 116, 112, 8, 8},
    {ctl::FieldWWaiter, K::Field, "", 0, 123, 110, 24, 12},
    {ctl::BoxWFlag, K::Box, "freig", 0, 162, 112, 29, 10},
    {ctl::BtnT, K::Button, "&T", 0, 93, 128, 15, 14},
    {A, K::Label, "K:", 0, 116, 130, 8, 8},
    {ctl::FieldTWaiter, K::Field, "", 0, 123, 128, 24, 12},
    {A, K::Label, "T:", 0, 154, 130, 8, 8},
    {ctl::FieldTTable, K::Field, "", 0, 162, 128, 24, 12},
    {ctl::BoxTFlag, K::Box, "freig", 0, 189, 130, 29, 10},
    {ctl::BtnC, K::Button, "&C", 0, 93, 146, 15, 14},
    {A, K::Label, "K:", 0, 116, 148, 8, 8},
    {ctl::FieldCWaiter, K::Field, "", 0, 123, 146, 24, 12},
    {ctl::BtnK, K::Button, "&K", 0, 93, 164, 15, 14},
    {A, K::Label, "S:", 0, 116, 166, 8, 8},
    {ctl::FieldKQuantity, K::Field, "", 0, 123, 164, 24, 12},
    {A, K::Label, "P:", 0, 154, 166, 8, 8},
    {ctl::FieldKPlu, K::Field, "", 0, 162, 164, 24, 12},
    {ctl::BtnS, K::Button, "&S", 0, 93, 182, 15, 14},
    {A, K::Label, "S:", 0, 116, 184, 8, 8},
    {ctl::FieldSQuantity, K::Field, "", 0, 123, 182, 24, 12},
    {A, K::Label, "P:", 0, 154, 184, 8, 8},
    {ctl::FieldSPlu, K::Field, "", 0, 162, 182, 24, 12},
    {ctl::BtnQ, K::Button, "&Q", 0, 93, 200, 15, 14},
    {A, K::Label, "S:", 0, 116, 202, 8, 8},
    {ctl::FieldQQuantity, K::Field, "", 0, 123, 200, 24, 12},
    {A, K::Label, "K:", 0, 154, 202, 8, 8},
    {ctl::FieldQWaiter, K::Field, "", 0, 162, 200, 24, 12},
    {A, K::Label, "P:", 0, 194, 202, 8, 8},
    {ctl::FieldQPlu, K::Field, "", 0, 201, 200, 24, 12},
    {ctl::BtnLowerQ, K::Button, "&q", 0, 93, 218, 15, 14},
    {A, K::Label, "S:", 0, 116, 220, 8, 8},
    {ctl::FieldqQuantity, K::Field, "", 0, 123, 218, 24, 12},
    {A, K::Label, "K:", 0, 154, 220, 8, 8},
    {ctl::FieldqWaiter, K::Field, "", 0, 162, 220, 24, 12},
    {A, K::Label, "P:", 0, 194, 220, 8, 8},
    {ctl::FieldqPlu, K::Field, "", 0, 201, 218, 24, 12},
    {ctl::BtnAt, K::Button, "&@", 0, 93, 236, 15, 14},
    {A, K::Label, "T:", 0, 116, 238, 8, 8},
    {ctl::FieldAtTable, K::Field, "", 0, 123, 236, 24, 12},
    {A, K::Label, "K:", 0, 154, 238, 8, 8},
    {ctl::FieldAtWaiter, K::Field, "", 0, 162, 236, 24, 12},
    {A, K::Line, "", 0, 0, 254, 234, 2},
    {ctl::MakerPicture, K::Picture, nullptr, kMakerBitmap, 6, 287, 41, 17},
    {ctl::MailLink, K::Label, maker::kMail, 0, 54, 285, 78, 8},
    {ctl::WebLink, K::Label, maker::kWebHost, 0, 54, 295, 78, 8},
    {ctl::Configure, K::Button, "Einstellen ...", 0, 57, 260, 51, 15},
    {ctl::Exit, K::Button, "Beenden", 0, 186, 287, 39, 14},
    {ctl::PortCombo, K::Combo, "", 0, 5, 261, 45, 60},
    {A, K::Line, "", 0, 0, 280, 234, 2},
}};

const std::array<ToolText, 49> kControlTips = {{
    {ctl::MailLink, "Senden sie eine e-mail an Brixner"},
    {ctl::WebLink, "Besuchen sie die WEB-Site von Brixner"},
    {ctl::PortCombo, "Serielle Schnittstelle Nummer auswählen"},
    {ctl::Configure, "Schnittstellenparameter (COM-Port) einstellen"},
    {ctl::Exit, "Tapix Test beenden"},
    {ctl::GeneralCaption, "Allgemeine Einstellungen der Übertragung"},
    {ctl::Checksum, "Nachrichten mit Prüfsumme senden und bei Empfang prüfen"},
    {ctl::Waiter3, "Kellnernummern 3 stellig senden"},
    {ctl::CreditQuantity, "Kreditdatensätze enthalten die Stückzahl"},
    {ctl::AutoAnswer, "eingehende Datensätze automatisch beantworten"},
    {ctl::IsbCaption, "Einstellungen zur Simulation der Schankanlage"},
    {ctl::IsbWaiter, "Kellnernummer"},
    {ctl::IsbPlu, "PLU Nummer"},
    {ctl::IsbTable, "Tischnummer"},
    {ctl::SendRecord, "sende Entnahmedaten bei nächster Abfrage"},
    {ctl::AnswerOk, "beantworte Nachrichten mit R=OK"},
    {ctl::HostCaption, "Einstellungen zur Simulation einer Kasse"},
    {ctl::BtnE, "Datensatz abfragen"},
    {ctl::AutoQuery, "Datensatz automatisch alle 0,5 Sekunden abfragen"},
    {ctl::BtnA, "Freigabe eines Kellners"},
    {ctl::FieldAWaiter, "Kellnernummer"},
    {ctl::BtnB, "Sperre eines Kellners"},
    {ctl::FieldBWaiter, "Kellnernummer"},
    {ctl::BtnW, "An/Abmeldung eines Kellners"},
    {ctl::FieldWWaiter, "Kellnernummer"},
    {ctl::BoxWFlag, "Check = Abmelden"},
    {ctl::BtnT, "Kellnerbezogene Tischfreigabe/sperre"},
    {ctl::FieldTWaiter, "Kellnernummer"},
    {ctl::FieldTTable, "Tischnummer"},
    {ctl::BoxTFlag, "Check = Freigabe"},
    {ctl::BtnC, "Löschen eines Kellnerumsatzes 000=alle Kellner"},
    {ctl::FieldCWaiter, "Kellnernummer"},
    {ctl::BtnK, "Freigabe Kredit"},
    {ctl::FieldKQuantity, "Stückzahl"},
    {ctl::FieldKPlu, "PLU Nummer"},
    {ctl::BtnS, "Storno Kredit"},
    {ctl::FieldSQuantity, "Stückzahl"},
    {ctl::FieldSPlu, "PLU Nummer"},
    {ctl::BtnQ, "Freigabe kellnerbezogener Kredit"},
    {ctl::FieldQQuantity, "Stückzahl"},
    {ctl::FieldQWaiter, "Kellnernummer"},
    {ctl::FieldQPlu, "PLU Nummer"},
    {ctl::BtnLowerQ, "Storno kellnerbezogener Kredit"},
    {ctl::FieldqQuantity, "Stückzahl"},
    {ctl::FieldqWaiter, "Kellnernummer"},
    {ctl::FieldqPlu, "PLU Nummer"},
    {ctl::BtnAt, "Tischbelegung"},
    {ctl::FieldAtTable, "Tischnummer"},
    {ctl::FieldAtWaiter, "Kellnernummer"},
}};

const char* InfoTipText(int id) {
  switch (id) {
    case ctl::ProgramPicture:
    case ctl::TitleCaption:  // the title tells about the program, like its picture
      return "Ventrix Test\r\nImplementierung nach\r\n"
             "Schnittstellenbeschreibung ISB vom 6.7.2000";
    case ctl::MakerPicture:
      return "Ing. Brixner\r\nSoftwareengineering\r\n"
             "Entwicklung kundenspezifischer Softwarelösungen";
    default:
      return nullptr;
  }
}

}  // namespace tapix
