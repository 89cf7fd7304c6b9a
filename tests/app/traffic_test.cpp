// The traffic as events: an observer sees every event of an exchange, in
// order and with its fields, from the receiver (with its answers, a request
// and a hang-up) and from both sides of the tap; the console's lines stay
// what they were.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/console_commands.h"
#include "app/dispenser.h"
#include "app/loop.h"
#include "app/requests.h"
#include "app/tap.h"
#include "app/traffic.h"
#include "session_fixture.h"

namespace tapix {
namespace {

using std::chrono::milliseconds;

struct Recorder final : TrafficObserver {
  void OnTraffic(const TrafficEvent& event) override { events.push_back(event); }
  std::vector<TrafficEvent> events;
};

struct Traffic : ::testing::Test, testing::SessionFixture {
  Traffic() { session.observers.push_back(&seen); }
  ByteTime At(milliseconds t) const { return {now + t, LogClock::time_point(t)}; }
  Recorder seen;
};

TEST_F(Traffic, TheReceiverPublishesEveryEventInOrderAfterItsAnswers) {
  session.options.Checksum = 1;
  std::size_t seen_at_answer = 99;
  device->on_write_ = [this, &seen_at_answer](std::string_view) {
    if (seen_at_answer == 99) seen_at_answer = seen.events.size();
  };
  session.receiver.Take(session, std::string("\x01\x02" "A005t", 7), At(milliseconds(10)));
  EXPECT_EQ(seen_at_answer, 0u) << "the answer went out before any event was published";
  session.receiver.Take(session, "B0", At(milliseconds(500)));
  session.options.Checksum = 0;
  QueueRequest(session.pending, MessageOf(Kind::WaiterRelease), {5}, session.options, false);
  device->write_limit_ = 2;
  SendPending(session);
  EXPECT_EQ(session.pending.SendPending, 1u) << "no request while a message is half read";
  ExpireMessage(session, now + milliseconds(500 + 101));  // the cut, then the request
  device->hung_up_ = true;
  EXPECT_TRUE(CheckHangup(session));

  const std::vector<TrafficEvent>& e = seen.events;
  ASSERT_EQ(e.size(), 8u);
  EXPECT_EQ(e[0].kind, TrafficKind::Unexpected);
  EXPECT_EQ(e[0].bytes, "\x01\x02") << "one run";
  EXPECT_EQ(e[0].when.steady, now + milliseconds(10));

  EXPECT_EQ(e[1].kind, TrafficKind::Received);
  EXPECT_EQ(e[1].direction, Direction::FromPeer);
  EXPECT_EQ(e[1].frame.message, &MessageOf(Kind::WaiterRelease));
  EXPECT_EQ(e[1].frame.text, "A005t");
  EXPECT_TRUE(e[1].frame.complete);
  EXPECT_EQ(e[1].frame.check, CheckResult::Good);
  EXPECT_EQ(e[1].when.wall, LogClock::time_point(milliseconds(10))) << "the first byte's time";

  EXPECT_EQ(e[2].kind, TrafficKind::Written);
  EXPECT_EQ(e[2].direction, Direction::ToPeer);
  EXPECT_EQ(e[2].what, WriteKind::Answer);
  EXPECT_EQ(e[2].bytes, "R");
  EXPECT_TRUE(e[2].Complete());

  EXPECT_EQ(e[3].kind, TrafficKind::Timeout);
  EXPECT_EQ(e[4].kind, TrafficKind::Received);
  EXPECT_EQ(e[4].frame.text, "B0");
  EXPECT_FALSE(e[4].frame.complete);
  EXPECT_EQ(e[4].frame.check, CheckResult::None);
  EXPECT_EQ(e[4].when.steady, now + milliseconds(500));
  EXPECT_EQ(e[5].kind, TrafficKind::Written);
  EXPECT_EQ(e[5].what, WriteKind::Answer);

  EXPECT_EQ(e[6].kind, TrafficKind::Written);
  EXPECT_EQ(e[6].what, WriteKind::Request);
  EXPECT_EQ(e[6].bytes, "A005");
  EXPECT_EQ(e[6].written, 2u);
  EXPECT_FALSE(e[6].Complete());

  EXPECT_EQ(e[7].kind, TrafficKind::HungUp);
  EXPECT_EQ(e[7].port, session.settings.port);
  EXPECT_FALSE(session.port);

  EXPECT_EQ(console.log_, "\x01 (01) unerwartet\n\x02 (02) unerwartet\nA005t\nR\nB0 timeout\nR\n"
                          " timeout (A005)\nCOM1: Verbindung unterbrochen (Ger\xE4t entfernt oder "
                          "Gegenstelle beendet)\n");
}

// The answers to the messages of one read leave in one write, each still
// its own event. When the port takes only part of it, the first answers
// went out whole and the last one says what did not.
TEST_F(Traffic, AReadsAnswersLeaveInOneWriteAndAShortOneEndsTheLast) {
  session.options.CreditQuantity = 1;
  device->write_limit_ = 2;
  std::size_t writes = 0;
  device->on_write_ = [&writes](std::string_view) { ++writes; };
  session.receiver.Take(session, "A005S00020123", At(milliseconds(0)));
  EXPECT_EQ(writes, 1u);
  EXPECT_EQ(device->written_, "RR");
  std::vector<std::size_t> written;
  for (const TrafficEvent& event : seen.events) {
    if (event.kind != TrafficKind::Written) continue;
    EXPECT_EQ(event.bytes, "R");
    EXPECT_EQ(event.when.steady, seen.events.back().when.steady) << "one write, one start";
    written.push_back(event.written);
  }
  EXPECT_EQ(written, (std::vector<std::size_t>{1, 1, 0}));
}

TEST_F(Traffic, TheTapPublishesBothDirections) {
  const auto [register_side, dispenser_side, made] = MakeTap();
  Tap& tap = *made;
  register_side->Feed("A005\x7F");
  tap.Pump(Tap::Register, At(milliseconds(0)));
  dispenser_side->Feed("RB0");
  tap.Pump(Tap::Dispenser, At(milliseconds(5)));
  ASSERT_TRUE(tap.Deadline());
  tap.Expire(*tap.Deadline() + milliseconds(1));

  const std::vector<TrafficEvent>& e = seen.events;
  ASSERT_EQ(e.size(), 5u);
  EXPECT_EQ(e[0].kind, TrafficKind::Received);
  EXPECT_EQ(e[0].direction, Direction::FromRegister);
  EXPECT_EQ(e[0].frame.text, "A005");
  EXPECT_EQ(e[1].kind, TrafficKind::Unexpected);
  EXPECT_EQ(e[1].direction, Direction::FromRegister);
  EXPECT_EQ(e[1].bytes, "\x7F");
  EXPECT_EQ(e[2].kind, TrafficKind::Received);
  EXPECT_EQ(e[2].direction, Direction::FromDispenser);
  EXPECT_EQ(e[2].frame.message, &MessageOf(Kind::Ok));
  EXPECT_EQ(e[2].when.steady, now + milliseconds(5));
  EXPECT_EQ(e[3].kind, TrafficKind::Timeout);
  EXPECT_EQ(e[3].direction, Direction::FromDispenser);
  EXPECT_EQ(e[4].kind, TrafficKind::Received);
  EXPECT_EQ(e[4].frame.text, "B0");
  EXPECT_FALSE(e[4].frame.complete);
  EXPECT_EQ(console.log_, "Kasse > ISB: A005\nKasse > ISB: \x7F (7F) unerwartet\nISB > Kasse: R\n"
                          "ISB > Kasse: B0 timeout\n");
  EXPECT_EQ(register_side->written_, "RB0") << "forwarded unchanged";
}

// A marker is an event in its place among the others, which the console
// shows as its line; a delayed answer is published when it goes out.
TEST_F(Traffic, AMarkerAndADelayedAnswerAreEventsInTheirPlace) {
  ASSERT_FALSE(ExecuteCommandLine(session, "answer next delay 50").empty());
  session.receiver.Take(session, "A005", At(milliseconds(10)));
  ExecuteCommandLine(session, std::string("mark Schritt\x01 2"));
  SendDueAnswers(session, std::chrono::steady_clock::now() + std::chrono::hours(1));

  const std::vector<TrafficEvent>& e = seen.events;
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].kind, TrafficKind::Received);
  EXPECT_EQ(e[1].kind, TrafficKind::Marker);
  EXPECT_EQ(e[1].bytes, "Schritt\x01 2") << "the text as given";
  EXPECT_EQ(e[2].kind, TrafficKind::Written);
  EXPECT_EQ(e[2].what, WriteKind::Answer);
  EXPECT_EQ(e[2].bytes, "R");
  EXPECT_EQ(console.log_, "A005\nMarke: Schritt? 2\nR\n");
}

}  // namespace
}  // namespace tapix
