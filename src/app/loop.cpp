#include "app/loop.h"

#include "app/receiver.h"
#include "app/transmit.h"
#include "serial/port.h"

namespace tapix {

void PollPass(Session& session) {
  if (!session.port) return;
  session.port->ClearErrors();
  unsigned char byte = 0;
  if (session.port->Read(&byte, 1) == 1) {
    // The message's time is its first byte's, not the end of its read.
    session.console->Mark(LogClock::now());
    DispatchByte(session, byte);
  }
  SendPending(session);
}

void SendPending(Session& session) {
  if (!session.port || !session.pending.SendPending) return;
  WriteWithEcho({session.port.get(), *session.console}, session.pending.text);
  session.pending.SendPending = 0;
}

}  // namespace tapix

namespace tapix {

void PassAfterEvent(Session& session) {
  if (session.port && session.port->InputWaiting()) {
    PollPass(session);
  } else {
    SendPending(session);
  }
}

bool CheckHangup(Session& session) {
  if (!session.port || !session.port->HungUp()) return false;
  LogHangup(*session.console, session.settings.port);
  ClosePort(session.port);
  return true;
}

void LogHangup(Console& console, std::uint32_t port) {
  Logf(console, "COM%u: Verbindung unterbrochen (Ger\xE4t entfernt oder Gegenstelle beendet)\n", port);
}

}  // namespace tapix
