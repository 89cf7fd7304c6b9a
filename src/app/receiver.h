// The receive dispatcher: every byte that arrives while no message is being
// read is the first character of a message.
#pragma once

#include "app/session.h"

namespace tapix {

// Looks the byte up in the message table, reads the rest of its message (one
// blocking read of the length the options give, within the port's read
// time-outs), logs it and, with AutoAnswer, answers it.
void DispatchByte(Session& session, unsigned char first);

}  // namespace tapix
