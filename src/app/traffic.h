// The traffic on the line as values: every event that the log shows as a
// line, made once where it happens (the receiver, the answers, a request
// written, the tap's two decoders, a port opened or hung up) and published
// to the console's log lines and to the observers a session has registered.
//
// The console's lines are one rendering of these events (app/traffic_log.h);
// a trace, statistics or a scenario's expectations are others.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/framer.h"

namespace tapix {

enum class TrafficKind : std::uint8_t {
  Received,    // a message read to its length or cut short, or a single character: `frame`
  Unexpected,  // a run of bytes that start no message, in one read: `bytes`
  Timeout,     // the read time-out cut the message being read (its Received follows)
  Written,     // bytes this side wrote: `bytes` asked for, `written` went out, `what`
  Opened,      // a port opened: `port`
  HungUp,      // a port hung up (adapter pulled, peer gone): `port`
  Returned,    // a port that hung up is open again, with the same settings: `port`
  Marker,      // a mark in the traffic with a text of its own: `bytes`
};

// Which way the bytes went, and on which line.
enum class Direction : std::uint8_t {
  FromPeer,       // received on the session's port
  ToPeer,         // written by this side to the session's port
  FromRegister,   // tapped: the cash register's bytes (to the dispenser)
  FromDispenser,  // tapped: the dispenser's bytes (to the cash register)
};

// What a write of this side was.
enum class WriteKind : std::uint8_t {
  Answer,   // one acknowledgement character, R, F or f
  Record,   // the dispense record that answers "E"
  Request,  // the cash register's pending request
  Bytes,    // bytes as a scenario's "send" gives them, no check character added
};

struct TrafficEvent {
  TrafficKind kind = TrafficKind::Marker;
  // Received, Unexpected, Timeout: the way the bytes came; Written: ToPeer;
  // Opened, HungUp, Returned: the line (FromPeer for the session's port, FromRegister
  // or FromDispenser for a side of the tap).
  Direction direction = Direction::FromPeer;
  // Received: the first byte's time (as in `frame`); Unexpected: the run's
  // first byte; Written: when the write began; Timeout: the first byte of the
  // message it cut (so that every event stands at the time its bytes began);
  // the others: when they happened.
  ByteTime when{};
  ByteTime cut_at{};      // Timeout: when the cut was made
  Frame frame;            // Received: the row (kind), the bytes, complete or cut, the check
  std::string bytes;      // Unexpected: the run; Written: what was to go out; Marker: its text
  std::size_t written = 0;  // Written: how many of `bytes` went out
  WriteKind what = WriteKind::Request;  // Written
  std::uint32_t port = 0;               // Opened, HungUp, Returned: the port number
  // Received, Unexpected on a line the tap forwards: false when a byte of it
  // did not go out on the other side (that side was away, or took less); such
  // bytes are not kept to be sent later. Always true for the session's port
  // and when only listening.
  bool forwarded = true;

  // A message (received or written) that answers one of the other side (R,
  // F, f, r, t; the record after "E"): the request's row and how long after
  // the request's first byte (a write: its start) this one's came. Set by
  // the session when it publishes the event (app/answer_times.h).
  const MessageSpec* answers = nullptr;
  std::optional<std::chrono::microseconds> answer_after;

  // Written: every byte went out.
  bool Complete() const { return written == bytes.size(); }
};

// A marker ("mark TEXT") at this moment.
TrafficEvent MarkerEvent(std::string_view text);

// Sees every event, in the order they happened.
class TrafficObserver {
 public:
  virtual ~TrafficObserver() = default;
  virtual void OnTraffic(const TrafficEvent& event) = 0;
};

// Events that wait to be published: the receiver keeps those of one read
// here while its answers go out first. Consecutive unexpected bytes of one
// direction become one run.
class TrafficBatch {
 public:
  void Add(TrafficEvent event);
  // A frame the framer found: Received, or Unexpected for a byte that starts
  // no message. Unexpected bytes join a run only with the same `forwarded`.
  void AddFrame(Direction direction, Frame frame, bool forwarded = true);
  // A frame cut by its read time-out at `now`: Timeout (at the frame's first
  // byte, cut at `now`), then Received.
  void AddCut(Direction direction, Frame frame, const ByteTime& now, bool forwarded = true);

  // A write of this side whose bytes wait to go out with the other held
  // writes of the batch in one write (app/transmit.h: WriteHeld).
  void AddHeld(TrafficEvent event);
  // The held writes, in the order they were added; none held afterwards.
  std::vector<TrafficEvent*> TakeHeld();

  const std::vector<TrafficEvent>& Events() const { return events_; }
  bool Empty() const { return events_.empty(); }
  void Clear() {
    events_.clear();
    held_.clear();
  }

 private:
  std::vector<TrafficEvent> events_;
  std::vector<std::size_t> held_;  // indices into events_
};

}  // namespace tapix
