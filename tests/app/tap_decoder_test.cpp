// The tap's decoder: one direction of the line, bytes with their arrival
// times, logged as the receiver logs them, behind the direction marker.
#include <gtest/gtest.h>

#include "app/tap.h"
#include "app/tap_decoder.h"
#include "app/traffic_log.h"
#include "log/timestamps.h"
#include "fake_console.h"
#include "fake_device.h"
#include "time_zone.h"

namespace tapix {
namespace {

using std::chrono::milliseconds;
using testing::CaptureConsole;

// A decoder of the cash register's side whose events become log lines.
struct Decoder : ::testing::Test {
  // Feeds `bytes` one by one, `gap` apart, from the current time on.
  void Feed(const std::string& bytes, milliseconds gap = milliseconds(1)) {
    for (char c : bytes) {
      Feed(decoder, std::string(1, c), {start + now, LogClock::time_point(now)});
      now += gap;
    }
  }
  void Feed(TapDecoder& which, const std::string& bytes, const ByteTime& when) {
    which.Feed(bytes, when, events);
    Log();
  }
  void Wait(milliseconds pause) {
    now += pause;
    decoder.Expire(start + now, events);
    Log();
  }
  // The events so far, as the console shows them.
  void Log() {
    for (const TrafficEvent& e : events.Events()) LogTraffic(*out, e);
    events.Clear();
  }

  CaptureConsole console;
  Console* out = &console;
  OptionFlags options;
  TapDecoder decoder{options, Direction::FromRegister};
  TrafficBatch events;
  std::chrono::steady_clock::time_point start{};
  milliseconds now{0};
};

TEST_F(Decoder, LengthsFollowTheFirstCharacterAndTheOptions) {
  Feed("A005B001");
  Feed("E" "R" "f" "\xB5");
  options.CreditQuantity = 1;
  Feed("K00050123");
  options.Waiter3 = 1;
  Feed("1203450071");
  EXPECT_EQ(console.log_,
            "Kasse > ISB: A005\nKasse > ISB: B001\nKasse > ISB: E\nKasse > ISB: R\nKasse > ISB: f Storno ung\xFCltig\nKasse > ISB: \xB5 (B5) unerwartet\n"
            "Kasse > ISB: K00050123\nKasse > ISB: 1203450071\n");
  EXPECT_FALSE(decoder.Deadline());  // nothing open
}

TEST_F(Decoder, CheckCharactersAreVerifiedUnderTheFlagAtTheFirstCharacter) {
  options.Checksum = 1;
  Feed("A005t" "A005x");
  Feed("A0");
  options.Checksum = 0;  // changed mid-message: counts from the next first character
  Feed("05t");
  Feed("A005");
  EXPECT_EQ(console.log_, "Kasse > ISB: A005t\nKasse > ISB: A005x Fehler Chksumme (t)\nKasse > ISB: A005t\nKasse > ISB: A005\n");
}

TEST_F(Decoder, APauseLongerThanTheIntervalCutsTheMessage) {
  Feed("B00", milliseconds(100));  // pauses of exactly the interval still belong
  ASSERT_TRUE(decoder.Deadline());
  EXPECT_EQ(*decoder.Deadline(), start + milliseconds(200 + 100));
  Wait(milliseconds(0));
  EXPECT_EQ(console.log_, "");
  Wait(milliseconds(1));
  EXPECT_EQ(console.log_, "Kasse > ISB: B00 timeout\n");
  // A byte after the deadline with no Expire in between is still cut first:
  // it starts a message of its own.
  Feed("C0");
  now += milliseconds(150);
  Feed("01");
  EXPECT_EQ(console.log_, "Kasse > ISB: B00 timeout\nKasse > ISB: C0 timeout\n");
  Wait(milliseconds(200));
  EXPECT_EQ(console.log_, "Kasse > ISB: B00 timeout\nKasse > ISB: C0 timeout\nKasse > ISB: 01 timeout\n");
}

TEST_F(Decoder, APauseAfterTheFirstByteAloneCountsAgainstTheTotalOnly) {
  // As the port reads the rest of a message: the interval starts with the
  // first byte after the first character. "T" has 700 ms for its seven
  // digits, so a pause of 400 ms after it still reads one message, as the
  // receiver on the other side of the tap reads it.
  Feed("T");
  now += milliseconds(400);
  Feed("0120451");
  Feed("A");
  now += milliseconds(301);  // past A's total of 300 ms
  Feed("005");
  Wait(milliseconds(200));
  EXPECT_EQ(console.log_, "Kasse > ISB: T0120451\nKasse > ISB: A timeout\nKasse > ISB: 005 timeout\n");
}

TEST_F(Decoder, TheTotalTimeOutCutsASlowMessage) {
  // 10 ms per character after the first: "A" and its three digits must all
  // be there within 30 ms, whatever the pauses between them.
  TapDecoder slow(options, Direction::FromDispenser, {milliseconds(100), milliseconds(10), milliseconds(0)});
  Feed(slow, "A", {start, {}});
  Feed(slow, "0", {start + milliseconds(20), {}});
  EXPECT_EQ(console.log_, "");
  Feed(slow, "0", {start + milliseconds(40), {}});
  EXPECT_EQ(console.log_, "ISB > Kasse: A0 timeout\n");
}

TEST_F(Decoder, TheLineIsStampedWithItsFirstByte) {
  TimestampConsole stamped(console, [] { return LogClock::time_point(std::chrono::hours(1000)); });
  out = &stamped;
  testing::UseUtc();
  const LogClock::time_point first = LogClock::time_point(milliseconds(3723045));  // 01:02:03.045
  Feed(decoder, "A", {start, first});
  Feed(decoder, "0", {start + milliseconds(50), first + milliseconds(50)});
  Feed(decoder, "05", {start + milliseconds(90), first + milliseconds(90)});
  Feed(decoder, "R", {start + milliseconds(400), first + milliseconds(400)});
  EXPECT_EQ(console.log_, "[01:02:03.045] Kasse > ISB: A005\n[01:02:03.445] Kasse > ISB: R\n");
}

// A message with any byte that did not go out carries the mark, whether it
// ends whole, cut by a pause, cut by the side going away, or is a single
// character; messages that went out whole keep their plain line.
TEST_F(Decoder, WhatWasNotForwardedCarriesTheMark) {
  const auto feed = [this](const std::string& bytes, std::size_t forwarded) {
    decoder.Feed(bytes, {start + now, LogClock::time_point(now)}, events, forwarded);
    now += milliseconds(1);
  };
  feed("A005", 2);  // the other side went away in the middle
  ASSERT_EQ(events.Events().size(), 1u);
  EXPECT_FALSE(events.Events()[0].forwarded) << "the statistics count it from the event";
  Log();
  feed("R", 0);
  feed("B00", 0);
  Wait(milliseconds(200));  // cut by the pause
  feed("C0", 2);
  now += milliseconds(200);
  feed("\xB5\xB6" "E", 1);  // after the deadline: C0 is cut first, unmarked
  feed("T0", 0);
  decoder.Cut(ByteTime::Now(), events);
  decoder.Cut(ByteTime::Now(), events);  // nothing open: nothing more
  Log();
  EXPECT_EQ(console.log_,
            "Kasse > ISB: A005 (nicht weitergeleitet)\nKasse > ISB: R (nicht weitergeleitet)\n"
            "Kasse > ISB: B00 timeout (nicht weitergeleitet)\nKasse > ISB: C0 timeout\n"
            "Kasse > ISB: \xB5 (B5) unerwartet\n"
            "Kasse > ISB: \xB6 (B6) unerwartet (nicht weitergeleitet)\n"
            "Kasse > ISB: E (nicht weitergeleitet)\n"
            "Kasse > ISB: T0 timeout (nicht weitergeleitet)\n");
}

// The tap with a side away: what comes from the other side is decoded and
// marked, and nothing is kept to be sent later; a side that takes only part
// of a write marks its message too. Only listening, nothing is marked.
TEST(TapForwarding, WhatTheOtherSideDidNotTakeIsMarkedAndNotKept) {
  CaptureConsole console;
  OptionFlags options;
  const auto log = [&console](TrafficBatch& events) {
    for (const TrafficEvent& e : events.Events()) LogTraffic(console, e);
  };
  auto register_side = std::make_unique<testing::ScriptedDevice>();
  auto dispenser_side = std::make_unique<testing::ScriptedDevice>();
  testing::ScriptedDevice& kasse = *register_side;
  testing::ScriptedDevice& isb = *dispenser_side;
  Tap tap(std::move(register_side), std::move(dispenser_side), true, options, log);
  kasse.Feed("A005");
  tap.Pump(Tap::Register, ByteTime::Now());
  EXPECT_EQ(isb.written_, "A005");
  isb.Feed("R");
  isb.write_limit_ = 2;
  kasse.write_limit_ = 0;  // takes nothing
  tap.Pump(Tap::Dispenser, ByteTime::Now());
  kasse.Feed("B007");
  tap.Pump(Tap::Register, ByteTime::Now());
  EXPECT_EQ(isb.written_, "A005B0");
  tap.Lose(Tap::Dispenser);
  EXPECT_FALSE(tap.Present(Tap::Dispenser));
  kasse.Feed("C0");
  EXPECT_EQ(tap.Pump(Tap::Register, ByteTime::Now()), 2u);
  tap.Lose(Tap::Register);  // the message in progress ends at once
  EXPECT_EQ(tap.Pump(Tap::Register, ByteTime::Now()), 0u);
  EXPECT_FALSE(tap.Deadline()) << "nothing left open to be glued to what comes later";
  EXPECT_EQ(console.log_,
            "Kasse > ISB: A005\nISB > Kasse: R (nicht weitergeleitet)\n"
            "Kasse > ISB: B007 (nicht weitergeleitet)\nKasse > ISB: C0 timeout (nicht weitergeleitet)\n");

  // Back: it gets what comes from now on, nothing from before.
  auto back = std::make_unique<testing::ScriptedDevice>();
  testing::ScriptedDevice& isb_again = *back;
  auto kasse_again = std::make_unique<testing::ScriptedDevice>();
  testing::ScriptedDevice& register_again = *kasse_again;
  tap.Restore(Tap::Dispenser, std::move(back));
  tap.Restore(Tap::Register, std::move(kasse_again));
  EXPECT_EQ(isb_again.timeouts_.ReadIntervalTimeout, 0xFFFFFFFFu) << "returns at once";
  register_again.Feed("A009");
  tap.Pump(Tap::Register, ByteTime::Now());
  EXPECT_EQ(isb_again.written_, "A009");

  CaptureConsole listening;
  auto a = std::make_unique<testing::ScriptedDevice>();
  auto b = std::make_unique<testing::ScriptedDevice>();
  testing::ScriptedDevice& heard = *a;
  Tap listen(std::move(a), std::move(b), false, options, [&listening](TrafficBatch& events) {
    for (const TrafficEvent& e : events.Events()) LogTraffic(listening, e);
  });
  heard.Feed("A005");
  listen.Pump(Tap::Register, ByteTime::Now());
  EXPECT_EQ(listening.log_, "Kasse > ISB: A005\n");
}

}  // namespace
}  // namespace tapix
