// The line tap: Tapix between the cash register (first port) and the
// dispenser (second port). Every byte that comes in on one side goes out on
// the other at once and unchanged (unless only listening, on a Y-cable), and
// each direction is decoded into events of the traffic. The tap never
// answers and never sends a request of its own. A side may be away for a
// while (its device went away, app/reopen.h waits for it): what comes from
// the other side meanwhile is decoded as not forwarded, never queued.
//
// The events go out in the order in which their first bytes came: while a
// message is still being read on one side, what the other side says after
// that message began waits, so a request that a pause cuts stands before the
// answer that followed it, and the log's times never go backwards.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/tap_decoder.h"
#include "app/traffic.h"
#include "serial/serial_device.h"

namespace tapix {

class Tap {
 public:
  enum Side { Register = 0, Dispenser = 1 };

  // Where the tap's events go (the session's Publish).
  using Publisher = std::function<void(TrafficBatch&)>;

  // Takes both devices and sets them to return at once what is waiting.
  Tap(std::unique_ptr<SerialDevice> register_side, std::unique_ptr<SerialDevice> dispenser_side,
      bool forward, const OptionFlags& options, Publisher publish);

  // Reads what is waiting on `side`, forwards it and decodes it. Returns the
  // count read (0: nothing waiting, the side hung up, or it is away). Bytes
  // the other side did not take (it is away, or took less) are decoded as
  // not forwarded.
  std::size_t Pump(Side side, const ByteTime& when);

  // Whether the side's device is there (not away since a hang-up).
  bool Present(Side side) const { return devices_[side] != nullptr; }
  // The side went away: its message in progress ends as cut now, what waited
  // for it is published, its device is closed.
  void Lose(Side side);
  // The side is back on `device` (set to return at once what is waiting).
  void Restore(Side side, std::unique_ptr<SerialDevice> device);

  // Who hears every read of a side besides the decoder (the options watch).
  using Hearer = std::function<void(Direction, std::string_view bytes, const ByteTime& when)>;
  void SetHearer(Hearer hearer) { hear_ = std::move(hearer); }
  // Publishes the messages that a pause has cut.
  void Expire(std::chrono::steady_clock::time_point now);

  // Cuts both sides' messages and publishes everything: the run ends.
  void Finish();

  // The next moment Expire has something to do; none while no message is open.
  std::optional<std::chrono::steady_clock::time_point> Deadline() const;

  // The side's device; only while it is Present.
  SerialDevice& Device(Side side) { return *devices_[side]; }
  bool Forwarding() const { return forward_; }

  // The line a side is in the events.
  static Direction DirectionOf(Side side) {
    return side == Register ? Direction::FromRegister : Direction::FromDispenser;
  }

 private:
  // Takes the decoders' new events into `held_`, in the order of their first
  // bytes, and publishes those that no message still being read began
  // before.
  void Release();

  std::unique_ptr<SerialDevice> devices_[2];
  TapDecoder decoders_[2];
  bool forward_;
  Publisher publish_;
  Hearer hear_;
  TrafficBatch batch_;                // what the decoders reported last
  std::vector<TrafficEvent> held_;    // waiting for an earlier message, oldest first
};

}  // namespace tapix
