// The dispenser's side: acknowledgements and the dispense record.
#pragma once

#include <cstddef>

#include "app/session.h"

namespace tapix {

// Answers a message with fields that the reader has read (as far as it came):
// per unit for "S"/"q" with CreditQuantity, else one "R" or "F".
void AutoAnswer(Session& session, const char* text, std::size_t length);

// Answers a record query "E" with a DispenseRecord.
void RecordAnswer(Session& session);

// The unit count of a cancellation: the four characters after the command
// letter read like atoi (blanks, a sign, digits; a short text reads as far as
// it came). 0 counts as 1; below 0 nothing is sent.
int CancellationUnits(const char* text, std::size_t length);

}  // namespace tapix
