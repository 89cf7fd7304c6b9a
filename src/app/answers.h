// The dispenser's side: acknowledgements and the dispense record. The
// receiver calls these when AutoAnswer is on; each write goes to the line at
// once and its event to `out.events`, which the receiver publishes after
// the message's own.
#pragma once

#include <cstddef>
#include <string_view>

#include "protocol/messages.h"
#include "protocol/options.h"
#include "app/transmit.h"

namespace tapix {

// Answers a message with fields that the reader has read (as far as it came,
// complete or not, whatever its check character): per unit for a kind that
// says so ("S", "q") with CreditQuantity, else one "R" or "F".
void Acknowledge(const MessageSpec& message, std::string_view text, const OptionFlags& options,
                 LineOut out);

// Answers a record query "E" with a DispenseRecord of `record` (waiter, PLU,
// table; all 0 unless the ISB fields were prepared), with the check character
// when `check`.
void SendRecordAnswer(const FieldValues& record, const OptionFlags& options, bool check,
                      LineOut out);

// The unit count of a cancellation: the four characters after the command
// letter read like atoi (blanks, a sign, digits; a short text reads as far as
// it came). 0 counts as 1; below 0 nothing is sent.
int CancellationUnits(std::string_view text);

}  // namespace tapix
