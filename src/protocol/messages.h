// The message table: every kind of message on the line, one row each.
//
// A message is a first character, fixed-width decimal fields and, with the
// Checksum option, one XOR check character. Nothing frames it on the line: a
// receiver knows its length from the first character and the options alone.
// Everything that states the grammar reads this table: the receiver's
// lengths, the host requests and the dispense record, the console commands
// (their words, usage and argument order) and the tap.
//
// The rows also carry the window's numbers as plain data: the button that
// sends a kind and the control that holds each field (the dialog's control
// IDs; app/control_ids.h names them from here). Nothing in this layer uses
// them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "protocol/options.h"

namespace tapix {

enum class Kind : std::uint8_t {
  WaiterRelease,        // A
  WaiterLock,           // B
  TurnoverDelete,       // C
  WaiterLogOnOff,       // W
  TableReleaseLock,     // T
  CreditRelease,        // K
  CreditCancel,         // S
  WaiterCreditRelease,  // Q
  WaiterCreditCancel,   // q
  TableOccupancy,       // @
  RecordQuery,          // E
  Record,               // a digit: the dispense record
  Ok,                   // R
  RecordError,          // F
  UnitInvalid,          // f
  AnswerR,              // r
  AnswerT,              // t
};

// How a field's value is brought into its width, always on the value taken
// as unsigned 32-bit. A flag is "1" for any value but 0.
enum class Reduction : std::uint8_t { Low7Bits, Mod100, Mod128, Mod1000, Mod8256, Flag };

std::uint32_t Reduce(std::uint32_t value, Reduction reduction);

// A field as it goes out under one state of its option: `width` digits (0:
// the field is left out).
struct FieldForm {
  std::uint8_t width;
  Reduction reduction;
};

struct FieldSpec {
  const char* name;  // "Kellner", "Tisch", "PLU", "Stückzahl", or what a flag's 1 means
  int control;       // the window's number field, or check box for a flag
  FieldForm off;     // the form without an option, or with `option` off
  std::optional<Option> option;  // the option that picks between `off` and `on`
  FieldForm on;

  constexpr bool IsFlag() const { return off.reduction == Reduction::Flag; }
  FieldForm FormUnder(const OptionFlags& options) const {
    return option && IsOn(options, *option) ? on : off;
  }
};

// What the dispenser side sends back when AutoAnswer is on.
enum class Reply : std::uint8_t {
  None,         // logged only
  Acknowledge,  // "R", or "F" without AnswerOk
  PerUnit,      // with CreditQuantity one "R" (or "f") per unit, else as Acknowledge
  Record,       // a dispense record
};

inline constexpr std::size_t kMostFields = 3;

// The longest message: "Q" or "q" with a quantity, a first character and 11
// digits, and its check character.
inline constexpr std::size_t kLongestMessage = 13;

struct MessageSpec {
  Kind kind;
  char first;           // the first character; 0 for the record, led by any digit
  const char* name;     // short German name of the kind (code page 1252)
  const char* meaning;  // what it does, as the window's tip says it (code page 1252)
  const char* command;  // the console command's word; null: none
  int button;           // the window's button that sends it; 0: none
  std::array<FieldSpec, kMostFields> fields;  // in message order; unused ones have no name
  bool check;           // carries the check character when Checksum is on
  Reply reply;
  const char* tail;     // a single character's log line: what follows the character

  constexpr std::span<const FieldSpec> Fields() const {
    std::size_t n = 0;
    while (n < fields.size() && fields[n].name) ++n;
    return {fields.data(), n};
  }
};

namespace fields {

constexpr FieldForm kNone{0, Reduction::Low7Bits};

constexpr FieldSpec Waiter(int control) {
  return {"Kellner", control, {3, Reduction::Low7Bits}, std::nullopt, kNone};
}
constexpr FieldSpec Table(int control) {
  return {"Tisch", control, {3, Reduction::Mod1000}, std::nullopt, kNone};
}
constexpr FieldSpec Plu(int control) {
  return {"PLU", control, {4, Reduction::Mod8256}, std::nullopt, kNone};
}
// Four digits, but reduced % 100; sent only with CreditQuantity.
constexpr FieldSpec Quantity(int control) {
  return {"St\xFC" "ckzahl", control, kNone, Option::CreditQuantity, {4, Reduction::Mod100}};
}
constexpr FieldSpec Flag(const char* meaning_of_1, int box) {
  return {meaning_of_1, box, {1, Reduction::Flag}, std::nullopt, kNone};
}
// The waiter of the table occupancy and of the record: two digits, or three
// with Waiter3.
constexpr FieldSpec ShortWaiter(int control, Reduction three_digits) {
  return {"Kellner", control, {2, Reduction::Mod100}, Option::Waiter3, {3, three_digits}};
}
constexpr FieldSpec kEnd{nullptr, 0, kNone, std::nullopt, kNone};

}  // namespace fields

// In the order of the Kind values.
inline constexpr MessageSpec kMessages[] = {
    {Kind::WaiterRelease, 'A', "Kellnerfreigabe", "Freigabe eines Kellners", "A", 1006,
     {fields::Waiter(1008), fields::kEnd, fields::kEnd}, true, Reply::Acknowledge, ""},
    {Kind::WaiterLock, 'B', "Kellnersperre", "Sperre eines Kellners", "B", 1010,
     {fields::Waiter(1011), fields::kEnd, fields::kEnd}, true, Reply::Acknowledge, ""},
    {Kind::TurnoverDelete, 'C', "Umsatzl\xF6schung",
     "L\xF6schen eines Kellnerumsatzes 000=alle Kellner", "C", 1019,
     {fields::Waiter(1020), fields::kEnd, fields::kEnd}, true, Reply::Acknowledge, ""},
    {Kind::WaiterLogOnOff, 'W', "Kellneran-/abmeldung", "An/Abmeldung eines Kellners", "W", 1012,
     {fields::Waiter(1013), fields::Flag("Abmelden", 1014), fields::kEnd}, true,
     Reply::Acknowledge, ""},
    {Kind::TableReleaseLock, 'T', "Tischfreigabe/-sperre", "Kellnerbezogene Tischfreigabe/sperre",
     "T", 1015, {fields::Waiter(1016), fields::Table(1018), fields::Flag("Freigabe", 1017)}, true,
     Reply::Acknowledge, ""},
    {Kind::CreditRelease, 'K', "Kreditfreigabe", "Freigabe Kredit", "K", 1022,
     {fields::Quantity(1023), fields::Plu(1024), fields::kEnd}, true, Reply::Acknowledge, ""},
    {Kind::CreditCancel, 'S', "Kreditstorno", "Storno Kredit", "S", 1025,
     {fields::Quantity(1026), fields::Plu(1027), fields::kEnd}, true, Reply::PerUnit, ""},
    {Kind::WaiterCreditRelease, 'Q', "Kellnerkreditfreigabe", "Freigabe kellnerbezogener Kredit",
     "Q", 1028, {fields::Quantity(1029), fields::Waiter(1031), fields::Plu(1030)}, true,
     Reply::Acknowledge, ""},
    {Kind::WaiterCreditCancel, 'q', "Kellnerkreditstorno", "Storno kellnerbezogener Kredit", "q",
     1032, {fields::Quantity(1033), fields::Waiter(1035), fields::Plu(1034)}, true,
     Reply::PerUnit, ""},
    {Kind::TableOccupancy, '@', "Tischbelegung", "Tischbelegung", "@", 1036,
     {fields::Table(1037), fields::ShortWaiter(1038, Reduction::Low7Bits), fields::kEnd}, true,
     Reply::Acknowledge, ""},
    {Kind::RecordQuery, 'E', "Datensatzabfrage", "Datensatz abfragen", "E", 1007,
     {fields::kEnd, fields::kEnd, fields::kEnd}, false, Reply::Record, ""},
    // The dispenser's record has no letter: its first digit is the waiter's.
    // Its fields are the window's ISB group, set by the console's "ISB".
    {Kind::Record, 0, "Datensatz", "Entnahmedaten eines Artikels", "ISB", 0,
     {fields::ShortWaiter(1039, Reduction::Mod128), fields::Plu(1040), fields::Table(1041)}, true,
     Reply::Acknowledge, ""},
    {Kind::Ok, 'R', "Quittung", "positive Antwort (OK)", nullptr, 0,
     {fields::kEnd, fields::kEnd, fields::kEnd}, false, Reply::None, ""},
    {Kind::RecordError, 'F', "Datensatzfehler", "negative Antwort", nullptr, 0,
     {fields::kEnd, fields::kEnd, fields::kEnd}, false, Reply::None, " Datensatz Fehler"},
    {Kind::UnitInvalid, 'f', "Storno ung\xFCltig",
     "negative Antwort auf eine Einheit eines Stornos", nullptr, 0,
     {fields::kEnd, fields::kEnd, fields::kEnd}, false, Reply::None, " Storno ung\xFCltig"},
    {Kind::AnswerR, 'r', "Antwort r", "Antwort r", nullptr, 0,
     {fields::kEnd, fields::kEnd, fields::kEnd}, false, Reply::None, ""},
    {Kind::AnswerT, 't', "Antwort t", "Storno ung\xFCltig", nullptr, 0,
     {fields::kEnd, fields::kEnd, fields::kEnd}, false, Reply::None, " Storno ung\xFCltig"},
};

constexpr const MessageSpec& MessageOf(Kind kind) {
  return kMessages[static_cast<std::size_t>(kind)];
}

// The message a first character starts: a digit the record, a listed
// character its row (upper and lower case differ); null for any other byte.
const MessageSpec* MessageStartedBy(unsigned char first);

// The message the window's button `id` sends; null for any other ID.
const MessageSpec* MessageOfButton(int id);

// Characters that follow the first one, without the check character (for the
// record, led by a digit, one less than its digits).
std::size_t FollowCount(const MessageSpec& message, const OptionFlags& options);

// Characters that follow the first one as the receiver reads them: the
// check character included when `checksum` is on and the kind carries one.
std::size_t RestLength(const MessageSpec& message, const OptionFlags& options, bool checksum);

// The values of a message's fields in message order, every field of the kind
// (one its options leave out too), as unsigned 32-bit numbers.
using FieldValues = std::array<std::uint32_t, kMostFields>;

// The text of a message: its first character (none for the record), each
// field reduced and zero-padded to its width under `options` (Waiter3 and
// CreditQuantity), then, when `check` is on and the kind carries one, the
// check character; a check character of 0 ends the text where it stands.
std::string Compose(const MessageSpec& message, const FieldValues& values,
                    const OptionFlags& options, bool check);

}  // namespace tapix
