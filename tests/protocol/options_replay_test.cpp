// Which options the traffic fits: the recent bytes replayed under the eight
// combinations of Checksum, Waiter3 and CreditQuantity, and the verdict.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/messages.h"
#include "protocol/options_replay.h"

namespace tapix {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;
using Outcome = Verdict::Outcome;

const Combination kPlain = Combination::FromIndex(0);
const Combination kChecksum = Combination::FromIndex(1);
const Combination kWaiter3 = Combination::FromIndex(2);
const Combination kCreditQuantity = Combination::FromIndex(4);

// One direction of a line: messages written whole, a pause after each.
struct Line {
  explicit Line(std::size_t capacity = 512) : window(capacity) {}
  void Send(const std::string& message, milliseconds pause = milliseconds(300)) {
    window.Add(message, now);
    now += pause;
  }
  Survey Look() const {
    const ByteWindow* windows[] = {&window};
    return SurveyWindows(windows, now);
  }
  ByteWindow window;
  Clock::time_point now{};
};

// Every kind whose length or check character an option changes, and two
// that no option changes, as a sender with `options` writes them.
std::vector<std::string> Traffic(const OptionFlags& options) {
  const bool check = options.Checksum != 0;
  return {
      Compose(MessageOf(Kind::WaiterRelease), {5, 0, 0}, options, check),
      Compose(MessageOf(Kind::TableOccupancy), {12, 7, 0}, options, check),
      Compose(MessageOf(Kind::CreditRelease), {2, 345, 0}, options, check),
      Compose(MessageOf(Kind::Record), {12, 345, 7}, options, check),
      Compose(MessageOf(Kind::WaiterCreditCancel), {1, 33, 4711}, options, check),
      Compose(MessageOf(Kind::TableReleaseLock), {9, 120, 1}, options, check),
      "E",
      "R",
  };
}

TEST(OptionsReplay, TheSendersCombinationIsFoundFromAnyOther) {
  for (std::size_t sent = 0; sent < Combination::kCount; ++sent) {
    const Combination sender = Combination::FromIndex(sent);
    Line line;
    for (int round = 0; round < 3; ++round) {
      for (const std::string& message : Traffic(sender.Apply(OptionFlags{}))) line.Send(message);
    }
    const Survey survey = line.Look();
    EXPECT_TRUE(survey[sent].Clean()) << sender.Describe();
    EXPECT_EQ(survey[sent].messages, 24u) << sender.Describe();
    EXPECT_EQ(survey[sent].with_fields, 18u);
    for (std::size_t current = 0; current < Combination::kCount; ++current) {
      // Only the sender's combination reads all of it without an error.
      if (current != sent) {
        EXPECT_FALSE(survey[current].Clean()) << sent << " read as " << current;
      }
      const Verdict verdict = Judge(survey, Combination::FromIndex(current), 3);
      EXPECT_EQ(verdict.outcome, Outcome::Explained);
      EXPECT_EQ(verdict.best, sender) << sent << " from " << current;
    }
  }
}

TEST(OptionsReplay, EachWrongOptionShowsAsTheReceiverWouldSeeIt) {
  // The sender appends check characters; read without: the check character
  // is a byte of its own ("t" a message, "w" none).
  Line checksum;
  checksum.Send("A005t");
  checksum.Send("A006w");
  Evidence e = checksum.Look()[kPlain.Index()];
  EXPECT_EQ(e.unexpected, 1u);
  EXPECT_EQ(e.messages, 3u);  // A005, t, A006
  EXPECT_TRUE(checksum.Look()[kChecksum.Index()].Clean());

  // The sender has no check characters; read with: the message waits for one
  // and is cut by the pause.
  Line none;
  none.Send("A005");
  none.Send("B007");
  e = none.Look()[kChecksum.Index()];
  EXPECT_EQ(e.timeouts, 2u);
  EXPECT_EQ(e.messages, 0u);

  // Three-digit waiters read as two: the last digit starts a record, cut.
  Line waiter;
  waiter.Send("@012007", milliseconds(1000));
  e = waiter.Look()[kPlain.Index()];
  EXPECT_EQ(e.with_fields, 1u);
  EXPECT_EQ(e.timeouts, 1u);
  EXPECT_TRUE(waiter.Look()[kWaiter3.Index()].Clean());

  // A quantity read where none is sent: the credit message swallows the
  // next one when it follows closely, else it is cut.
  Line credit;
  credit.Send("K0345", milliseconds(10));
  credit.Send("K0346", milliseconds(1000));
  e = credit.Look()[kCreditQuantity.Index()];
  EXPECT_EQ(e.with_fields, 1u);  // "K0345K034"
  EXPECT_EQ(e.timeouts, 1u);     // "6", a record cut short
  EXPECT_TRUE(credit.Look()[kPlain.Index()].Clean());
}

TEST(OptionsReplay, AMessageStillArrivingAtTheEndIsNoEvidence) {
  Line line;
  line.Send("A005", milliseconds(0));
  line.Send("A00", milliseconds(50));  // 100 ms after its last byte it is cut, not before
  EXPECT_TRUE(line.Look()[kPlain.Index()].Clean());
  EXPECT_EQ(line.Look()[kPlain.Index()].messages, 1u);
  line.now += milliseconds(300);
  EXPECT_EQ(line.Look()[kPlain.Index()].timeouts, 1u);
}

TEST(OptionsReplay, TheVerdictNeedsEvidenceAndNamesNoneWhileTwoTie) {
  // Only waiter messages: Waiter3 and CreditQuantity change nothing, so the
  // combination closest to the current one is named.
  Line line;
  for (int i = 0; i < 3; ++i) line.Send("A006w");
  Verdict verdict = Judge(line.Look(), kWaiter3, 3);
  EXPECT_EQ(verdict.outcome, Outcome::Explained);
  EXPECT_EQ(verdict.best, Combination::FromIndex(3));  // Checksum on, Waiter3 kept
  EXPECT_EQ(Judge(line.Look(), kWaiter3, 4).outcome, Outcome::TooLittle);

  // Two combinations one step from the current one that both read the
  // traffic cleanly tie: neither is named.
  Survey survey{};
  survey[kChecksum.Index()].with_fields = 5;
  survey[kWaiter3.Index()].with_fields = 5;
  survey[kPlain.Index()].check_errors = 1;
  for (std::size_t i = 3; i < Combination::kCount; ++i) survey[i].timeouts = 1;
  verdict = Judge(survey, kPlain, 3);
  EXPECT_EQ(verdict.outcome, Outcome::Tied);
  EXPECT_EQ(Combination::FromIndex(verdict.best.Index() | verdict.other.Index()),
            Combination::FromIndex(3));

  // Noise starts no message under any combination.
  Line noise;
  for (int i = 0; i < 20; ++i) noise.Send("\xB5\x01\xFF");
  EXPECT_EQ(Judge(noise.Look(), kPlain, 3).outcome, Outcome::None);
}

TEST(OptionsReplay, TheWindowKeepsItsSizeAndStartsOnAMessage) {
  // Records of ten digits with check characters, 40 ms apart: a window of 64
  // bytes is trimmed many times, always at a pause, so every replay still
  // reads the traffic without an error.
  const OptionFlags sender = Combination::FromIndex(3).Apply(OptionFlags{});
  Line line(64);
  for (std::uint32_t i = 0; i < 200; ++i) {
    const std::string record = Compose(MessageOf(Kind::Record), {i, 7 * i, 3 * i}, sender, true);
    if (record.size() < 11) continue;  // a check character of 0 ends the text before it
    line.Send(record, milliseconds(40));
    ASSERT_LE(line.window.Size(), 64u);
    const Survey survey = line.Look();
    ASSERT_TRUE(survey[3].Clean()) << i;
  }
  EXPECT_GE(line.Look()[3].with_fields, 4u);
  // The newest byte is the last one sent; a clock that goes back is no pause.
  line.window.Add("R", line.now - milliseconds(500));
  EXPECT_EQ(line.window.Bytes().back().value, 'R');
  EXPECT_GE(line.window.Bytes().back().when, line.window.Bytes()[line.window.Size() - 2].when);
}

// After a verdict of none, only the message that may still be arriving is
// kept: the bytes after the last pause, even when they came in two reads.
TEST(OptionsReplay, KeepingTheLatestKeepsTheMessageBeingRead) {
  Line line;
  line.Send(std::string("\x01\x02\x03", 3), milliseconds(50));
  line.Send("A005", milliseconds(50));
  line.Send("T01", milliseconds(2));
  line.Send("2007", milliseconds(0));
  line.window.KeepLatest();
  std::string kept;
  for (const ByteWindow::Byte& byte : line.window.Bytes()) kept.push_back(static_cast<char>(byte.value));
  EXPECT_EQ(kept, "T012007");
  line.Send("1", milliseconds(300));
  EXPECT_TRUE(line.Look()[0].Clean());
  EXPECT_EQ(line.Look()[0].with_fields, 1u);
}

TEST(OptionsReplay, TheHintNamesAllThreeOptionsInCodePage1252) {
  EXPECT_EQ(HintLine(kChecksum),
            "Hinweis: Der Verkehr passt zu Pr\xFC" "fsumme an, Kellner 3-stellig aus, "
            "Kreditst\xFC" "ckzahl aus\n");
  EXPECT_EQ(Combination::FromIndex(6).Describe(),
            "Pr\xFC" "fsumme aus, Kellner 3-stellig an, Kreditst\xFC" "ckzahl an");
  OptionFlags options;
  options.CreditQuantity = 1;
  options.AutoAnswer = 0;
  EXPECT_EQ(Combination::Of(options), kCreditQuantity);
  const OptionFlags applied = kChecksum.Apply(options);
  EXPECT_EQ(applied.Checksum, 1u);
  EXPECT_EQ(applied.CreditQuantity, 0u);
  EXPECT_EQ(applied.AutoAnswer, 0u);  // the others stay
  EXPECT_EQ(kChecksum.Distance(Combination::FromIndex(6)), 3);
}

}  // namespace
}  // namespace tapix
