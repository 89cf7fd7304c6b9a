// Which message answers which request, and how long the answer took: for
// the session's port (what came in against what this side wrote, and back)
// and for the tap (one side against the other).
//
// A request (A, B, C, W, T, K, S, Q, q, @, E, and the record, which the
// cash register acknowledges) waits for its answers from the other way: one,
// or one per unit for a cancellation with CreditQuantity. An answer (R, F,
// f, r, t; the record when "E" waits) takes the oldest request of the other
// way that still waits. A request that got no answer before the next request
// of its side, or before the end of the run, counts as unanswered.
#pragma once

#include <cstddef>
#include <optional>

#include "app/traffic.h"
#include "protocol/options.h"

namespace tapix {

// The way the answer to a message of `direction` comes (received and
// written on the session's port, the tap's two sides).
Direction OtherWay(Direction direction);

// The message an event carries: the received frame's row, or the row a
// written text starts (null for anything else, or a byte that starts none).
const MessageSpec* MessageOfEvent(const TrafficEvent& event);

// The text of that message: the frame's, or what a write put on the line.
std::string_view TextOfEvent(const TrafficEvent& event);

class AnswerTimes {
 public:
  // Looks at an event in the order of the traffic and, when it answers a
  // request, sets its `answers` and `answer_after`. `options` are those a
  // written message was made under (a received one carries its own).
  void Take(TrafficEvent& event, const OptionFlags& options);

  // Requests that got no answer: before the next request of their side, and,
  // with `at_end`, those still waiting now.
  std::size_t Unanswered(bool at_end) const;

 private:
  struct Waiting {
    const MessageSpec* request = nullptr;
    ByteTime when{};
    int answers_left = 0;
    bool answered = false;
  };
  // One slot per direction of the events (Direction's four values).
  std::optional<Waiting> waiting_[4];
  std::size_t unanswered_ = 0;
};

}  // namespace tapix
