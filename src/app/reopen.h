// Lines that heal: a port that hung up or whose device went away is opened
// again, with the same line settings, as soon as it is back — a device path
// that returns, a link that points somewhere again, a COM port that opens
// again. The tap waits for both of its sides always; the other modes wait
// for their port when Autoconnect is 1 (the stored value, or --autoconnect).
//
// The wait asks the device at most every kReopenPeriod: each try is a
// deadline of the event loop (NextDeadline/OnTimeout), so nothing runs
// between two tries. The loss is said once (a HungUp event), the return once
// (a Returned event).
#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "app/tap.h"
#include "app/traffic.h"
#include "serial/serial_device.h"

namespace tapix {

struct Session;

inline constexpr std::chrono::milliseconds kReopenPeriod{250};

// When the next try to open a port that went away is due; none while that
// port is not waited for.
class ReopenSchedule {
 public:
  using Time = std::chrono::steady_clock::time_point;

  // The port went away at `now`: the first try is one period later, so a
  // device that is going away is not caught half gone.
  void Begin(Time now) { next_ = now + kReopenPeriod; }
  // No more waiting: the port is back, or another one was chosen.
  void End() { next_.reset(); }
  bool Waiting() const { return next_.has_value(); }
  std::optional<Time> Deadline() const { return next_; }
  // True when a try is due by `now`; the one after it then is a period on.
  bool Due(Time now);

 private:
  std::optional<Time> next_;
};

// One try: opens port `port` with the session's line settings, without a
// failure line (the wait stays quiet). A device that opens but has hung up
// already is not back. When it is back: its Returned event on the line
// `line` ("COMn: Verbindung wieder hergestellt"), and the device with the
// port's time-outs. Null while it is not back.
std::unique_ptr<SerialDevice> TryReopen(Session& session, std::uint32_t port, Direction line);

// The session's port hung up (its loss line said, the port closed): waited
// for from `now` when Autoconnect is 1.
void AwaitPort(Session& session, ReopenSchedule::Time now);

// A side of the tap hung up: its message in progress ends as cut, its
// HungUp event, the side closed and waited for (always).
void LoseTapSide(Session& session, Tap::Side side, ReopenSchedule::Time now);

// The next try of a port or a side that is waited for; none while nothing is.
std::optional<ReopenSchedule::Time> NextReopen(const Session& session);

// Tries every port and side whose try is due by `now`; one that is back is
// used again at once (the session's port with the port's time-outs, a side
// of the tap returning at once).
void ReopenDue(Session& session, ReopenSchedule::Time now);

}  // namespace tapix
