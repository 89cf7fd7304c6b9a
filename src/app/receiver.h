// The port's receiver: every byte that arrives while no message is being read
// is the first character of a message; the framer reads each message to the
// length the table and the options give, and cuts one that stops short by
// the port's read time-outs.
//
// The loop hands it what it read from the port, without waiting for the
// rest of a message: a message still arriving is cut at its deadline, which
// the loop waits for among its other events (NextDeadline, OnTimeout). The
// messages a read ends are answered at once (with AutoAnswer), all of them
// in one write, and only then are the events of the read published: the
// answers are on the line before the log lines of the messages and of the
// answers are written.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "app/traffic.h"
#include "protocol/framer.h"
#include "serial/serial_device.h"

namespace tapix {

struct Session;

// The port's read time-outs as the framer applies them (an interval of 0 or
// MAXDWORD counts as none, as do zero totals).
ReadTimeouts ReadTimeoutsOf(const CommTimeouts& timeouts);

class Receiver {
 public:
  // Bytes read from the session's port at `when`: each message they end is
  // answered, then the events are published. Bytes found waiting when the
  // loop looks count as in time for a message being read: its cut is the
  // deadline's, when the loop looked and nothing had come.
  void Take(Session& session, std::string_view bytes, const ByteTime& when);

  // Cuts the message being read when its deadline has passed by `now`.
  void Expire(Session& session, std::chrono::steady_clock::time_point now);

  // Cuts the message being read now, as its time-out would: the port is
  // about to close, or the peer closed or opened its end.
  void Cut(Session& session);

  // When the message being read is cut unless more comes; none when no
  // message is being read.
  std::optional<std::chrono::steady_clock::time_point> Deadline() const {
    return framer_.Deadline();
  }

  // True between the first byte of a message and its end or cut: no request
  // goes out then.
  bool Reading() const { return framer_.Missing() > 0; }

 private:
  // A frame the framer found: its event, and its answer held for Answer.
  void Found(Session& session, Frame frame);
  // The held answers of the read on the line in one write, then the events
  // of the read published.
  void Answer(Session& session);

  Framer framer_;
  TrafficBatch batch_;  // the events of a read, until its answers are out
};

}  // namespace tapix
