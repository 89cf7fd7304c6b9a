// The cash register's side: the eleven host commands compose one request into
// the single PendingRequest, which the polling loop writes on its next turn.
#pragma once

#include "app/session.h"

namespace tapix {

// The period of the record-query timer.
inline constexpr int kQueryTimerMs = 1500;

// True for the IDs of the eleven command buttons.
bool IsHostCommand(int id);

// A click of command button `id`. Dropped while a request is pending.
void HostCommand(Session& session, int id);

// One tick of the query timer: queues "E" when AutoQuery is on and the slot is
// free; a tick that finds a request pending is lost.
void QueryTick(Session& session);

}  // namespace tapix
