// The tap's decoder: one direction of the line, bytes with their arrival
// times, logged as the receiver logs them, behind the direction marker.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tapix
