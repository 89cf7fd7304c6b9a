#include "app/tap.h"

#include <algorithm>

namespace tapix {

namespace {

// The comm API's "return at once": interval MAXDWORD with zero totals. The
// writes keep their time-outs, so a stalled side cannot hold the tap for
// ever.
void ReturnAtOnce(SerialDevice& device) {
  CommTimeouts t = device.GetTimeouts();
  t.ReadIntervalTimeout = 0xFFFFFFFFu;
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = 0;
  device.SetTimeouts(t);
}

}  // namespace

Tap::Tap(std::unique_ptr<SerialDevice> register_side, std::unique_ptr<SerialDevice> dispenser_side,
         bool forward, const OptionFlags& options, Publisher publish)
    : devices_{std::move(register_side), std::move(dispenser_side)},
      decoders_{TapDecoder(options, Direction::FromRegister),
                TapDecoder(options, Direction::FromDispenser)},
      forward_(forward),
      publish_(std::move(publish)) {
  for (auto& device : devices_) ReturnAtOnce(*device);
}

std::size_t Tap::Pump(Side side, const ByteTime& when) {
  if (!devices_[side]) return 0;
  char buffer[256];
  const std::size_t got = devices_[side]->Read(buffer, sizeof buffer);
  if (got == 0) return 0;
  // Forwarded before it is decoded: the log must not delay the line. Only
  // listening, nothing is meant to go out, so nothing is missing.
  std::size_t passed = got;
  if (forward_) {
    SerialDevice* other = devices_[1 - side].get();
    passed = other != nullptr ? other->Write(buffer, got) : 0;
  }
  if (hear_) hear_(DirectionOf(side), {buffer, got}, when);
  decoders_[side].Feed({buffer, got}, when, batch_, passed);
  Release();
  return got;
}

void Tap::Lose(Side side) {
  decoders_[side].Cut(ByteTime::Now(), batch_);
  Release();
  devices_[side].reset();
}

void Tap::Restore(Side side, std::unique_ptr<SerialDevice> device) {
  ReturnAtOnce(*device);
  devices_[side] = std::move(device);
}

void Tap::Expire(std::chrono::steady_clock::time_point now) {
  for (auto& decoder : decoders_) decoder.Expire(now, batch_);
  Release();
}

void Tap::Finish() {
  for (auto& decoder : decoders_) decoder.Cut(ByteTime::Now(), batch_);
  Release();
}

void Tap::Release() {
  for (const TrafficEvent& event : batch_.Events()) {
    // After every event that began at the same time or earlier: the order
    // of one side's stream stays.
    const auto at = std::upper_bound(
        held_.begin(), held_.end(), event.when.steady,
        [](std::chrono::steady_clock::time_point when, const TrafficEvent& e) { return when < e.when.steady; });
    held_.insert(at, event);
  }
  batch_.Clear();
  std::optional<std::chrono::steady_clock::time_point> open;
  for (const auto& decoder : decoders_) {
    const auto since = decoder.OpenSince();
    if (since && (!open || since->steady < *open)) open = since->steady;
  }
  std::size_t ready = 0;
  while (ready < held_.size() && (!open || held_[ready].when.steady <= *open)) ++ready;
  if (ready == 0) return;
  TrafficBatch out;
  for (std::size_t i = 0; i < ready; ++i) out.Add(std::move(held_[i]));
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(ready));
  if (publish_) publish_(out);
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
