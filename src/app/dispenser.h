// The dispenser side's answer to a message the receiver has read: the fault
// queued for it ("answer next"), else the option boxes; for "E" the record
// prepared in the ISB fields, else the next of the record queue, else zeros.
#pragma once

#include <chrono>
#include <optional>

#include "protocol/framer.h"
#include "app/session.h"
#include "app/traffic.h"

namespace tapix {

// Answers `frame` on the session's port, the events of the writes to
// `events`, where they are held: WriteHeld sends them, together with the
// answers to the other messages of the same read. A message that gets an
// answer (one with fields, "E", a record) takes the next queued fault,
// whether or not AutoAnswer is on; without a fault the boxes answer (nothing
// without AutoAnswer). A delayed answer waits in the session for its moment
// and is written at once when it falls due.
void AnswerMessage(Session& session, const Frame& frame, TrafficBatch& events);

// The record for the next answer to "E": the ISB fields when SendRecord is on
// (used up), else the next record of the queue (used up), else all 0.
FieldValues NextRecord(Session& session);

// When the first delayed answer is due; none while none waits.
std::optional<std::chrono::steady_clock::time_point> DelayedAnswerDue(const Session& session);

// Writes every delayed answer that is due by `now`, in the order they were
// due, and publishes their events.
void SendDueAnswers(Session& session, std::chrono::steady_clock::time_point now);

}  // namespace tapix
