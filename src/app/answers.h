// The dispenser's side: acknowledgements and the dispense record, made as
// the writes that carry them, so that a fault can change them before they go
// out (app/dispenser.h decides which answer a message gets). Each write's
// event goes to `out.events`, which the receiver publishes after the
// message's own.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/messages.h"
#include "protocol/options.h"
#include "app/transmit.h"

namespace tapix {

// One write of an answer: one acknowledgement character, or the record.
struct AnswerWrite {
  std::string bytes;
  bool record = false;
};

// An answer that waits for its moment ("answer next delay MS").
struct DelayedAnswer {
  std::chrono::steady_clock::time_point due;
  std::vector<AnswerWrite> writes;
};

// The acknowledgement of a message with fields that the reader has read (as
// far as it came, complete or not, whatever its check character): per unit
// for a kind that says so ("S", "q") with CreditQuantity, else one "R" or "F".
std::vector<AnswerWrite> Acknowledgement(const MessageSpec& message, std::string_view text,
                                         const OptionFlags& options);

// The DispenseRecord that answers "E" for `record` (waiter, PLU, table),
// with the check character when `check`. With `wrong_check` that character
// is wrong: the right one with its lowest bit flipped (a digit stays a
// digit), also where the right one is 0 and would not go out.
AnswerWrite RecordAnswer(const FieldValues& record, const OptionFlags& options, bool check,
                         bool wrong_check = false);

// The answer without its last character: one "R" becomes nothing, a record
// stops one character early.
void LeaveOffLast(std::vector<AnswerWrite>& writes);

// Writes the answer to the line: one write per acknowledgement character,
// one for the record, each its own event; with `out.hold` they wait for
// WriteHeld, which sends them with the batch's other held writes.
void WriteAnswer(const std::vector<AnswerWrite>& writes, LineOut out);

// The unit count of a cancellation: the four characters after the command
// letter read like atoi (blanks, a sign, digits; a short text reads as far as
// it came). 0 counts as 1; below 0 nothing is sent.
int CancellationUnits(std::string_view text);

}  // namespace tapix
