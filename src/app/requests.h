// The cash register's side: a command queues its request, composed from the
// message table, into the single PendingRequest, which the polling loop
// writes on its next turn.
#pragma once

#include "protocol/messages.h"
#include "protocol/options.h"

namespace tapix {

// The period of the record-query timer.
inline constexpr int kQueryTimerMs = 1500;

// True for the IDs of the eleven command buttons.
bool IsHostCommand(int id);

// Queues the request of `message` from its field values (in message order)
// under the options, with the check character when `check` (the kinds that
// never carry one, "E", go without). Dropped while a request is pending.
void QueueRequest(PendingRequest& pending, const MessageSpec& message, const FieldValues& values,
                  const OptionFlags& options, bool check);

// One tick of the query timer: queues "E" when AutoQuery is on and the slot is
// free; a tick that finds a request pending is lost.
void QueryTick(PendingRequest& pending, const OptionFlags& options);

}  // namespace tapix
