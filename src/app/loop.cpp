#include "app/loop.h"

#include "app/transmit.h"
#include "serial/port.h"

namespace tapix {

namespace {
// One read takes what a burst of messages at the highest rate brings
// between two looks; a fuller buffer is read again at once.
constexpr std::size_t kReadChunk = 4096;
}  // namespace

void ReadPort(Session& session) {
  if (!session.port) return;
  session.port->ClearErrors();
  unsigned char buffer[kReadChunk];
  const ByteTime now = ByteTime::Now();
  for (;;) {
    const std::size_t got = session.port ? session.port->ReadWaiting(buffer, sizeof buffer) : 0;
    if (got == 0) break;
    session.receiver.Take(session, {reinterpret_cast<const char*>(buffer), got}, now);
    if (got < sizeof buffer) break;
  }
  SendPending(session);
}

void ExpireMessage(Session& session, std::chrono::steady_clock::time_point now) {
  const auto deadline = session.receiver.Deadline();
  if (!session.port || !deadline || now <= *deadline) return;
  ReadPort(session);
  session.receiver.Expire(session, now);
  SendPending(session);
  CheckHangup(session);
}

void SendPending(Session& session) {
  if (!session.port || !session.pending.SendPending || session.receiver.Reading()) return;
  Publish(session, WriteToLine(session.port.get(), session.pending.text, WriteKind::Request));
  session.pending.SendPending = 0;
}

void PassAfterEvent(Session& session) {
  if (session.port && session.port->InputWaiting()) {
    ReadPort(session);
  } else {
    SendPending(session);
  }
}

bool CheckHangup(Session& session) {
  if (!session.port || !session.port->HungUp()) return false;
  session.receiver.Cut(session);
  Publish(session, HangupEvent(session.settings.port, Direction::FromPeer));
  ClosePort(session.port);
  return true;
}

void CloseSessionPort(Session& session) {
  if (session.port) session.receiver.Cut(session);
  ClosePort(session.port);
}

TrafficEvent HangupEvent(std::uint32_t port, Direction direction) {
  TrafficEvent event;
  event.kind = TrafficKind::HungUp;
  event.direction = direction;
  event.port = port;
  event.when = ByteTime::Now();
  return event;
}

}  // namespace tapix
