#include "app/reopen.h"

#include "app/loop.h"
#include "app/session.h"
#include "serial/port.h"

namespace tapix {

bool ReopenSchedule::Due(Time now) {
  if (!next_ || now < *next_) return false;
  next_ = now + kReopenPeriod;
  return true;
}

std::unique_ptr<SerialDevice> TryReopen(Session& session, std::uint32_t port, Direction line) {
  PortSettings settings = session.settings;
  settings.port = port;
  std::unique_ptr<SerialDevice> device = Open(settings);
  if (!device) return nullptr;
  // A node that is still there while its device goes away opens and hangs
  // up at once; that is not a return.
  device->InputWaiting();
  if (device->HungUp()) return nullptr;
  SetPortTimeouts(device.get());
  TrafficEvent back;
  back.kind = TrafficKind::Returned;
  back.direction = line;
  back.port = port;
  back.when = ByteTime::Now();
  Publish(session, back);
  return device;
}

void AwaitPort(Session& session, ReopenSchedule::Time now) {
  if (session.settings.Autoconnect == 1) session.port_return.Begin(now);
}

void LoseTapSide(Session& session, Tap::Side side, ReopenSchedule::Time now) {
  session.tap->Lose(side);
  Publish(session, HangupEvent(session.tap_ports[side], Tap::DirectionOf(side)));
  session.tap_returns[side].Begin(now);
}

std::optional<ReopenSchedule::Time> NextReopen(const Session& session) {
  // Only what is still away: a deadline kept for a port that is open again
  // would be past for ever, and the loop would never sleep.
  std::optional<ReopenSchedule::Time> first;
  if (!session.port) first = session.port_return.Deadline();
  if (!session.tap) return first;
  for (const Tap::Side side : {Tap::Register, Tap::Dispenser}) {
    const auto next = session.tap->Present(side) ? std::nullopt : session.tap_returns[side].Deadline();
    if (next && (!first || *next < *first)) first = next;
  }
  return first;
}

void ReopenDue(Session& session, ReopenSchedule::Time now) {
  if (session.port) session.port_return.End();  // opened meanwhile, by any way
  if (!session.port && session.port_return.Due(now)) {
    session.port = TryReopen(session, session.settings.port, Direction::FromPeer);
    if (session.port) session.port_return.End();
  }
  if (!session.tap) return;
  for (const Tap::Side side : {Tap::Register, Tap::Dispenser}) {
    if (session.tap->Present(side) || !session.tap_returns[side].Due(now)) continue;
    if (std::unique_ptr<SerialDevice> device =
            TryReopen(session, session.tap_ports[side], Tap::DirectionOf(side))) {
      session.tap_returns[side].End();
      session.tap->Restore(side, std::move(device));
    }
  }
}

}  // namespace tapix
