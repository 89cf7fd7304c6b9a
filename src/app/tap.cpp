#include "app/tap.h"

namespace tapix {

Tap::Tap(std::unique_ptr<SerialDevice> register_side, std::unique_ptr<SerialDevice> dispenser_side,
         bool forward, const OptionFlags& options, Publisher publish)
    : devices_{std::move(register_side), std::move(dispenser_side)},
      decoders_{TapDecoder(options, Direction::FromRegister),
                TapDecoder(options, Direction::FromDispenser)},
      forward_(forward),
      publish_(std::move(publish)) {
  // The comm API's "return at once": interval MAXDWORD with zero totals. The
  // writes keep their time-outs, so a stalled side cannot hold the tap for
  // ever.
  for (auto& device : devices_) {
    CommTimeouts t = device->GetTimeouts();
    t.ReadIntervalTimeout = 0xFFFFFFFFu;
    t.ReadTotalTimeoutMultiplier = 0;
    t.ReadTotalTimeoutConstant = 0;
    device->SetTimeouts(t);
  }
}

std::size_t Tap::Pump(Side side, const ByteTime& when) {
  char buffer[256];
  const std::size_t got = devices_[side]->Read(buffer, sizeof buffer);
  if (got == 0) return 0;
  // Forwarded before it is decoded: the log must not delay the line.
  if (forward_) devices_[1 - side]->Write(buffer, got);
  if (hear_) hear_(DirectionOf(side), {buffer, got}, when);
  decoders_[side].Feed({buffer, got}, when, batch_);
  if (publish_) publish_(batch_);
  batch_.Clear();
  return got;
}

void Tap::Expire(std::chrono::steady_clock::time_point now) {
  for (auto& decoder : decoders_) decoder.Expire(now, batch_);
  if (!batch_.Empty() && publish_) publish_(batch_);
  batch_.Clear();
}

std::optional<std::chrono::steady_clock::time_point> Tap::Deadline() const {
  std::optional<std::chrono::steady_clock::time_point> first;
  for (const auto& decoder : decoders_) {
    const auto d = decoder.Deadline();
    if (d && (!first || *d < *first)) first = d;
  }
  return first;
}

}  // namespace tapix
