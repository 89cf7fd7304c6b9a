#include "app/receiver.h"

#include "app/dispenser.h"
#include "app/options_watch.h"
#include "app/session.h"
#include "app/transmit.h"

namespace tapix {
namespace {

constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;
// Long enough to stand for "never" on a steady clock.
constexpr std::chrono::milliseconds kNever = std::chrono::hours(24 * 365);

}  // namespace

ReadTimeouts ReadTimeoutsOf(const CommTimeouts& t) {
  ReadTimeouts timeouts;
  timeouts.interval = t.ReadIntervalTimeout == 0 || t.ReadIntervalTimeout == kMaxDword
                          ? kNever
                          : std::chrono::milliseconds(t.ReadIntervalTimeout);
  const bool total = t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0;
  timeouts.per_char = std::chrono::milliseconds(t.ReadTotalTimeoutMultiplier);
  timeouts.constant = total ? std::chrono::milliseconds(t.ReadTotalTimeoutConstant) : kNever;
  return timeouts;
}

void Receiver::Answer(Session& session) {
  WriteHeld(session.port.get(), batch_);
  Publish(session, batch_);
}

void Receiver::Found(Session& session, Frame frame) {
  batch_.AddFrame(Direction::FromPeer, frame);
  AnswerMessage(session, frame, batch_);
}

void Receiver::Take(Session& session, std::string_view bytes, const ByteTime& when) {
  // A message that starts here is cut by the port's time-outs in force now.
  if (!Reading() && session.port) framer_.SetTimeouts(ReadTimeoutsOf(session.port->GetTimeouts()));
  if (session.options_watch) session.options_watch->Heard(Direction::FromPeer, bytes, when);
  for (const char c : bytes) {
    ByteTime at = when;
    const auto deadline = framer_.Deadline();
    if (deadline && at.steady > *deadline) at.steady = *deadline;
    Framer::Findings findings = framer_.Feed(static_cast<unsigned char>(c), at, session.options);
    if (findings.found) Found(session, std::move(*findings.found));
  }
  Answer(session);
}

void Receiver::Expire(Session& session, std::chrono::steady_clock::time_point now) {
  std::optional<Frame> cut = framer_.Expire(now);
  if (!cut) return;
  batch_.AddCut(Direction::FromPeer, *cut, {now, std::chrono::system_clock::now()});
  AnswerMessage(session, *cut, batch_);
  Answer(session);
}

void Receiver::Cut(Session& session) {
  std::optional<Frame> cut = framer_.Cut();
  if (!cut) return;
  batch_.AddCut(Direction::FromPeer, *cut, ByteTime::Now());
  AnswerMessage(session, *cut, batch_);
  Answer(session);
}

}  // namespace tapix
