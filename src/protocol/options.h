// The seven option flags, their one list, and the one outgoing host request.
//
// Every place that names a flag reads the list below: the start values of a
// run, the window's boxes (which box copies into which flag, which boxes start
// ticked), the console command that sets a flag ("Checksum on") and the help
// that lists them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tapix {

// Seven flags, each 0 or 1, copied from their boxes on every click. A new
// set holds the start values of a run (the list below).
struct OptionFlags {
  OptionFlags();
  std::uint32_t Checksum = 0;
  std::uint32_t Waiter3 = 0;
  std::uint32_t CreditQuantity = 0;
  std::uint32_t AutoAnswer = 0;
  std::uint32_t AnswerOk = 0;
  std::uint32_t AutoQuery = 0;
  std::uint32_t SendRecord = 0;
};

enum class Option : std::uint8_t {
  Checksum,        // the check character: appended when sending, verified when receiving
  Waiter3,         // three-digit waiters in the table occupancy and the record
  CreditQuantity,  // credit messages carry a quantity
  AutoAnswer,      // answer what arrives
  AnswerOk,        // the answer is "R"; off: "F" (or "f")
  AutoQuery,       // the query timer queues "E"
  SendRecord,      // the next "E" gets the record from the ISB fields, once
};

struct OptionSpec {
  Option option;
  const char* name;     // as the console command writes it
  int box;              // the window's check box (dialog control ID)
  const char* caption;  // the box's caption (code page 1252)
  std::uint32_t start;  // the value every run starts with
  std::uint32_t OptionFlags::*flag;
};

// In the order of the Option values.
inline constexpr OptionSpec kOptionList[] = {
    {Option::Checksum, "Checksum", 1001, "Pr\xFC" "fsumme", 0, &OptionFlags::Checksum},
    {Option::Waiter3, "Waiter3", 1002, "Kellner 3 stellig", 0, &OptionFlags::Waiter3},
    {Option::CreditQuantity, "CreditQuantity", 1021, "Kreditst\xFC" "ckzahl", 0,
     &OptionFlags::CreditQuantity},
    {Option::AutoAnswer, "AutoAnswer", 1042, "autom. Antwort", 1, &OptionFlags::AutoAnswer},
    {Option::AnswerOk, "AnswerOk", 1044, "Antwort: R/F", 1, &OptionFlags::AnswerOk},
    {Option::AutoQuery, "AutoQuery", 1009, "autom. Abfrage", 0, &OptionFlags::AutoQuery},
    {Option::SendRecord, "SendRecord", 1043, "sende Daten", 0, &OptionFlags::SendRecord},
};

constexpr const OptionSpec& OptionOf(Option option) {
  return kOptionList[static_cast<std::size_t>(option)];
}

inline bool IsOn(const OptionFlags& flags, Option option) {
  return flags.*OptionOf(option).flag != 0;
}

// The option whose box has this control ID; null for any other ID.
const OptionSpec* OptionOfBox(int box);

// The option of this console name, in any case ("checksum", "WAITER3");
// null when there is none.
const OptionSpec* OptionNamed(std::string_view name);

inline OptionFlags::OptionFlags() {
  for (const OptionSpec& spec : kOptionList) this->*spec.flag = spec.start;
}

// The single outgoing slot: a zero-terminated text and the flag that says the
// loop has not written it yet.
struct PendingRequest {
  char text[100] = {};
  std::uint32_t SendPending = 0;
};

}  // namespace tapix
