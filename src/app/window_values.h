// The window's controls read into the typed values the protocol works with:
// a message's fields in message order, the state of the "Prüfsumme" box, the
// record prepared in the ISB group. Requests, answers and the writes take
// these values and never read the window themselves.
#pragma once

#include "protocol/messages.h"
#include "app/panel.h"
#include "app/session.h"

namespace tapix {

// The fields of `message` from the controls the table names for them, in
// message order: a check box gives 1 or 0; a number field is read as
// GetDlgItemInt reads it, signed for the command buttons' fields (then taken
// as unsigned 32-bit, so -1 is 4294967295) and unsigned for the record's ISB
// fields (text that is no unsigned number is 0).
FieldValues ReadFields(const Panel& window, const MessageSpec& message);

// Whether a message this side sends gets its check character: the window's
// "Prüfsumme" box when a window exists (the sender asks the box), else the
// Checksum flag, which the box always mirrors.
bool CheckBoxTicked(const Session& session);

// The record for the next answer to "E": the ISB fields when SendRecord is on
// and a window exists, which uses them up (SendRecord and its box are
// cleared, so the prepared record goes out once); else all 0.
FieldValues TakeRecordFields(Session& session);

}  // namespace tapix
