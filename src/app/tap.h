// The line tap: Tapix between the cash register (first port) and the
// dispenser (second port). Every byte that comes in on one side goes out on
// the other at once and unchanged (unless only listening, on a Y-cable), and
// each direction is decoded into events of the traffic. The tap never
// answers and never sends a request of its own.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

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
  // count read (0: nothing waiting, or the side hung up).
  std::size_t Pump(Side side, const ByteTime& when);

  // Who hears every read of a side besides the decoder (the options watch).
  using Hearer = std::function<void(Direction, std::string_view bytes, const ByteTime& when)>;
  void SetHearer(Hearer hearer) { hear_ = std::move(hearer); }
  // Publishes the messages that a pause has cut.
  void Expire(std::chrono::steady_clock::time_point now);

  // The next moment Expire has something to do; none while no message is open.
  std::optional<std::chrono::steady_clock::time_point> Deadline() const;

  SerialDevice& Device(Side side) { return *devices_[side]; }
  bool Forwarding() const { return forward_; }

  // The line a side is in the events.
  static Direction DirectionOf(Side side) {
    return side == Register ? Direction::FromRegister : Direction::FromDispenser;
  }

 private:
  std::unique_ptr<SerialDevice> devices_[2];
  TapDecoder decoders_[2];
  bool forward_;
  Publisher publish_;
  Hearer hear_;
  TrafficBatch batch_;
};

}  // namespace tapix
