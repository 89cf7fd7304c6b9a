// What --explain, --hex, the answer times, the summary and the trace make of
// the traffic, from the receiver and from both sides of the tap: the meaning
// of each kind from the table, answers paired with their requests, the tap's
// lines in the order of their first bytes, a burst of noise as one line.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "app/console_commands.h"
#include "app/loop.h"
#include "app/requests.h"
#include "app/statistics.h"
#include "app/tap.h"
#include "app/trace.h"
#include "session_fixture.h"

namespace tapix {
namespace {

using std::chrono::milliseconds;

struct Explain : ::testing::Test, testing::SessionFixture {
  Explain() {
    // This side's answers are stamped by the real clock when they are
    // written. The requests stand a minute ahead of it, so that an answer
    // shows "nach 0 ms" (a time below zero counts as none) however slowly
    // the machine runs the test.
    now = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    session.log_style.explain = true;
    session.statistics = &statistics;
    session.observers.push_back(&statistics);
  }
  ByteTime At(milliseconds t) const { return {now + t, LogClock::time_point(t)}; }
  Statistics statistics{session.answer_times};
};

TEST_F(Explain, EachKindItsMeaningAndEachAnswerItsTime) {
  session.options.Checksum = 1;
  session.options.Waiter3 = 1;
  session.options.CreditQuantity = 1;
  session.log_style.hex = true;
  session.receiver.Take(session, std::string("A005t"), At(milliseconds(0)));
  session.receiver.Take(session, "@0071237", At(milliseconds(40)));  // wrong check character
  EXPECT_EQ(console.log_,
            "A005t  [41 30 30 35 74]  = Kellnerfreigabe: Kellner 5\n"
            "R  [52]  = Quittung, nach 0 ms\n"
            "@0071237 Fehler Chksumme (G)  [40 30 30 37 31 32 33 37]  = Tischbelegung: Tisch 7, "
            "Kellner 123\n"
            "R  [52]  = Quittung, nach 0 ms\n");
  // A message cut short: the fields it holds whole.
  console.log_.clear();
  session.options.Checksum = 0;
  Receive("T00500");
  EXPECT_EQ(console.log_.find("T00500 timeout  [54 30 30 35 30 30]  = Tischfreigabe/-sperre: "
                              "Kellner 5 (abgebrochen)\nR  [52]  = Quittung, nach "),
            0u)
      << console.log_;
  // The kinds whose fields the options shape, by name.
  console.log_.clear();
  session.log_style.hex = false;
  session.options.Checksum = 0;
  session.receiver.Take(session, "Q00020120345", At(milliseconds(200)));
  session.receiver.Take(session, "K00020345", At(milliseconds(300)));
  session.receiver.Take(session, "1230345007", At(milliseconds(400)));
  session.receiver.Take(session, "W0051", At(milliseconds(500)));
  EXPECT_NE(console.log_.find("Q00020120345  = Kellnerkreditfreigabe: St\xFC" "ckzahl 2, Kellner 12, PLU 345\n"),
            std::string::npos) << console.log_;
  EXPECT_NE(console.log_.find("K00020345  = Kreditfreigabe: St\xFC" "ckzahl 2, PLU 345\n"),
            std::string::npos) << console.log_;
  EXPECT_NE(console.log_.find("1230345007  = Datensatz: Kellner 123, PLU 345, Tisch 7\n"),
            std::string::npos) << console.log_;
  EXPECT_NE(console.log_.find("W0051  = Kellneran-/abmeldung: Kellner 5, Abmelden ja\n"),
            std::string::npos) << console.log_;
}

TEST_F(Explain, RequestsThisSideWritesAndTheAnswersThatCome) {
  QueueRequest(session.pending, MessageOf(Kind::WaiterRelease), {5}, session.options, false);
  SendPending(session);
  session.receiver.Take(session, "R", {std::chrono::steady_clock::now() + milliseconds(14),
                                       LogClock::now()});
  now = std::chrono::steady_clock::now() + milliseconds(30);
  EXPECT_EQ(console.echo_, "A005\n") << "the echo stays";
  ASSERT_NE(console.log_.find("gesendet: A005  = Kellnerfreigabe: Kellner 5\n"), std::string::npos)
      << console.log_;
  // At least the 14 ms its first byte stands after the write began.
  const std::size_t after = console.log_.find("R  = Quittung, nach ");
  ASSERT_NE(after, std::string::npos) << console.log_;
  EXPECT_GE(std::stoi(console.log_.substr(after + 20)), 14) << console.log_;
  EXPECT_EQ(console.sent_, "") << "the log's own line stands for the write";

  // A request that no answer follows, then one that gets its record.
  QueueRequest(session.pending, MessageOf(Kind::WaiterLock), {5}, session.options, false);
  SendPending(session);
  QueueRequest(session.pending, MessageOf(Kind::RecordQuery), {}, session.options, false);
  SendPending(session);
  session.receiver.Take(session, "1230345007", At(milliseconds(0)));
  EXPECT_NE(console.log_.find("gesendet: E  = Datensatzabfrage\n"
                              "123034500  = Datensatz: Kellner 12, PLU 3034, Tisch 500, nach "),
            std::string::npos)
      << "read under Waiter3 off (two digits of waiter), an answer to E\n" << console.log_;
  EXPECT_EQ(session.answer_times.Unanswered(false), 1u);
}

TEST_F(Explain, CancellationsWaitForOneAnswerPerUnit) {
  session.options.CreditQuantity = 1;
  session.receiver.Take(session, "S00030345", At(milliseconds(0)));
  EXPECT_EQ(device->written_, "RRR");
  TrafficEvent late;
  late.kind = TrafficKind::Written;
  late.direction = Direction::ToPeer;
  late.what = WriteKind::Answer;
  late.bytes = "R";
  late.written = 1;
  late.when = At(milliseconds(50));
  Publish(session, late);
  EXPECT_EQ(console.log_,
            "S00030345  = Kreditstorno: St\xFC" "ckzahl 3, PLU 345\n"
            "R  = Quittung, nach 0 ms\nR  = Quittung, nach 0 ms\nR  = Quittung, nach 0 ms\n"
            "R  = Quittung\n")
      << "three units, three answers; the fourth answers nothing";
}

TEST_F(Explain, NoiseIsOneLineAndALineFeedNeverSplitsOne) {
  session.options.Checksum = 1;
  session.receiver.Take(session, std::string("\x01\x02\x0A\xFF", 4), At(milliseconds(0)));
  std::string noise(40, '\x0A');
  session.receiver.Take(session, noise, At(milliseconds(10)));
  session.options.Checksum = 0;
  session.receiver.Take(session, std::string("A\x0A\x0D" "5", 4), At(milliseconds(20)));
  EXPECT_EQ(console.log_,
            "4 Bytes unerwartet: 01 02 0A FF\n"
            "40 Bytes unerwartet: 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A 0A ...\n"
            "A<0A><0D>5  = Kellnerfreigabe: Kellner \"<0A><0D>5\"\n"
            "R  = Quittung, nach 0 ms\n");
}

TEST_F(Explain, TheSummaryCountsWhatCame) {
  session.options.Checksum = 1;
  Receive("A005t");
  Receive("A005x");
  Receive("B0");
  Receive("\xB5\xB6");
  console.log_.clear();
  ExecuteCommandLine(session, "stats");
  const std::string& text = console.log_;
  EXPECT_NE(text.find("empfangen    Kellnerfreigabe (A): 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("empfangen    Kellnersperre (B): 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("gesendet     Quittung (R): 3\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Pr\xFC" "fzeichenfehler: 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Zeit\xFC" "berschreitungen: 1\n"), std::string::npos) << text;
  EXPECT_NE(text.find("unerwartete Bytes: 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("unbeantwortete Anfragen: 0\n"), std::string::npos) << text;
  EXPECT_NE(text.find("empfangen    Kellnerfreigabe (A): 0.0 / 0.0 / 0.0 / 0.0 (2 Antworten)\n"),
            std::string::npos) << text;
}

TEST(TimeSpread, QuantilesWithinOnePercentInBoundedRoom) {
  using std::chrono::microseconds;
  TimeSpread spread;
  EXPECT_EQ(spread.Quantile(0.5), microseconds(0));
  for (int round = 0; round < 1000; ++round) {
    for (int ms = 1; ms <= 20; ++ms) spread.Add(microseconds(ms * 1000 + round % 7));
  }
  EXPECT_EQ(spread.Count(), 20000u);
  EXPECT_EQ(spread.Min(), microseconds(1000));
  EXPECT_EQ(spread.Max(), microseconds(20006));
  EXPECT_NEAR(static_cast<double>(spread.Quantile(0.5).count()), 10000, 100);
  EXPECT_NEAR(static_cast<double>(spread.Quantile(0.95).count()), 19000, 190);
  TimeSpread small;
  small.Add(microseconds(42));
  small.Add(microseconds(7));
  EXPECT_EQ(small.Quantile(0.5), microseconds(7)) << "exact below 0.1 ms";
  EXPECT_EQ(small.Quantile(0.95), microseconds(42));
}

// The tap: a request the pause cuts stands before the answer that came
// while it waited for the rest; the answer says how long after it.
TEST_F(Explain, TheTapLogsInTheOrderOfTheFirstBytes) {
  const auto [register_side, dispenser_side, made] = MakeTap();
  Tap& tap = *made;
  register_side->Feed("A00");
  tap.Pump(Tap::Register, At(milliseconds(0)));
  dispenser_side->Feed("F");
  tap.Pump(Tap::Dispenser, At(milliseconds(30)));
  register_side->Feed("B005");
  EXPECT_EQ(console.log_, "") << "the answer waits for the request still being read";
  tap.Pump(Tap::Register, At(milliseconds(200)));  // after the time-out: A00 is cut first
  dispenser_side->Feed("R");
  tap.Pump(Tap::Dispenser, At(milliseconds(215)));
  dispenser_side->Feed("12");
  tap.Pump(Tap::Dispenser, At(milliseconds(230)));
  EXPECT_EQ(console.log_,
            "Kasse > ISB: A00 timeout  = Kellnerfreigabe (abgebrochen)\n"
            "ISB > Kasse: F Datensatz Fehler  = Datensatzfehler, nach 30 ms\n"
            "Kasse > ISB: B005  = Kellnersperre: Kellner 5\n"
            "ISB > Kasse: R  = Quittung, nach 15 ms\n")
      << "the record still being read holds nothing back that came before it";
  tap.Finish();
  EXPECT_NE(console.log_.find("ISB > Kasse: 12 timeout  = Datensatz: Kellner 12 (abgebrochen)\n"),
            std::string::npos) << "the end of the run publishes what was held\n" << console.log_;
}

TEST_F(Explain, WhatTheTapCouldNotForwardIsCountedInTheSummary) {
  const auto [register_side, dispenser_side, made] = MakeTap();
  Tap& tap = *made;
  ExecuteCommandLine(session, "stats");
  EXPECT_EQ(console.log_.find("nicht weitergeleitet"), std::string::npos) << console.log_;
  tap.Lose(Tap::Dispenser);
  register_side->Feed("A005\xB5");
  tap.Pump(Tap::Register, At(milliseconds(0)));
  console.log_.clear();
  ExecuteCommandLine(session, "stats");
  EXPECT_NE(console.log_.find("  nicht weitergeleitete Bytes: 5\n"), std::string::npos) << console.log_;
}

TEST_F(Explain, TheTraceLineOfEachEvent) {
  session.options.Checksum = 1;
  TrafficBatch batch;
  batch.AddFrame(Direction::FromRegister, [] {
    Frame f;
    f.message = &MessageOf(Kind::WaiterRelease);
    f.text = "A005x";
    f.check = CheckResult::Bad;
    f.expected = 't';
    f.options.Checksum = 1;
    f.first.wall = LogClock::time_point(std::chrono::microseconds(1'700'000'000'123'456));
    return f;
  }());
  const std::string line = TraceLine(batch.Events()[0], session.options);
  EXPECT_EQ(line,
            "{\"time\":\"2023-11-14T22:13:20.123456Z\",\"event\":\"message\",\"dir\":\"Kasse>ISB\","
            "\"text\":\"A005x\",\"hex\":\"41 30 30 35 78\",\"count\":5,\"complete\":true,"
            "\"kind\":\"Kellnerfreigabe\",\"check\":\"bad\",\"expected\":\"74\","
            "\"fields\":{\"Kellner\":5}}\n");
  EXPECT_EQ(IsoTime(LogClock::time_point(std::chrono::microseconds(-1))),
            "1969-12-31T23:59:59.999999Z");
}

}  // namespace
}  // namespace tapix
