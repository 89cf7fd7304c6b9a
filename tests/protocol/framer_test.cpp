// Cutting the received stream into messages: lengths under the options of
// the first character, the check character, the port's time-out rule, and
// the log lines made from what was found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/framer.h"

namespace tapix {
namespace {

using std::chrono::milliseconds;

struct Framing : ::testing::Test {
  // Feeds `bytes` `gap` apart from the current time on; keeps every frame.
  void Feed(const std::string& bytes, milliseconds gap = milliseconds(1)) {
    for (char c : bytes) {
      auto f = framer.Feed(static_cast<unsigned char>(c), At(), options);
      if (f.cut) frames.push_back(*f.cut);
      if (f.found) frames.push_back(*f.found);
      now += gap;
    }
  }
  void Wait(milliseconds pause) {
    now += pause;
    if (auto cut = framer.Expire(start + now)) frames.push_back(*cut);
  }
  ByteTime At() const { return {start + now, std::chrono::system_clock::time_point(now)}; }
  std::string Lines() const {
    std::string all;
    for (const Frame& f : frames) all += FrameLine(f);
    return all;
  }

  OptionFlags options;
  Framer framer;
  std::vector<Frame> frames;
  std::chrono::steady_clock::time_point start{};
  milliseconds now{0};
};

TEST_F(Framing, LengthsFollowTheOptionsInForceAtTheFirstCharacter) {
  Feed("A005" "E" "R" "f" "\xB5" "1203450076");
  Wait(milliseconds(1000));
  options.CreditQuantity = 1;
  Feed("K00050123");
  options.Waiter3 = 1;
  Feed("10203450071");
  Wait(milliseconds(1000));
  EXPECT_EQ(Lines(),
            "A005\nE\nR\nf Storno ung\xFCltig\n\xB5 (B5) unerwartet\n120345007\n"
            "6 timeout\nK00050123\n1020345007\n1 timeout\n");
  ASSERT_EQ(frames.size(), 10u);
  EXPECT_EQ(frames[0].message->kind, Kind::WaiterRelease);
  EXPECT_EQ(frames[4].message, nullptr);
  EXPECT_TRUE(frames[5].complete);
  EXPECT_FALSE(frames[6].complete);  // the "6" waited out its deadline
}

TEST_F(Framing, CheckCharacterUnderTheFlagOfTheFirstCharacter) {
  options.Checksum = 1;
  Feed("A005t" "A005x" "E" "R");
  Feed("A0");
  options.Checksum = 0;  // changed mid-message: counts from the next first character
  Feed("05t");
  Feed("A005");
  ASSERT_EQ(frames.size(), 6u);
  EXPECT_EQ(frames[0].check, CheckResult::Good);
  EXPECT_EQ(frames[1].check, CheckResult::Bad);
  EXPECT_EQ(frames[1].expected, 't');
  EXPECT_EQ(frames[2].check, CheckResult::None);  // "E" never carries one
  EXPECT_EQ(frames[5].check, CheckResult::None);
  EXPECT_EQ(Lines(), "A005t\nA005x Fehler Chksumme (t)\nE\nR\nA005t\nA005\n");
}

TEST_F(Framing, TheIntervalCountsOnlyOnceAByteAfterTheFirstHasCome) {
  // The port's rule: after "A" alone only the total (3 x 100 ms) runs, so a
  // pause of 250 ms before the digits still reads one message.
  Feed("A");
  EXPECT_EQ(*framer.Deadline(), start + milliseconds(300));
  now += milliseconds(249);
  Feed("005");
  EXPECT_EQ(Lines(), "A005\n");
  // Once a digit has come, a pause longer than the interval cuts.
  Feed("B0");
  EXPECT_EQ(*framer.Deadline(), start + now - milliseconds(1) + milliseconds(100));
  Wait(milliseconds(99));
  EXPECT_EQ(frames.size(), 1u);  // exactly the interval still belongs
  Wait(milliseconds(1));
  EXPECT_EQ(Lines(), "A005\nB0 timeout\n");
  EXPECT_FALSE(framer.Deadline());
}

TEST_F(Framing, TheTotalCutsASlowMessageWhateverItsPauses) {
  Framer slow({milliseconds(100), milliseconds(10), milliseconds(5)});
  // "A" and three digits within 3 x 10 + 5 ms.
  slow.Feed('A', {start, {}}, options);
  EXPECT_FALSE(slow.Feed('0', {start + milliseconds(20), {}}, options).cut);
  const auto late = slow.Feed('0', {start + milliseconds(36), {}}, options);
  ASSERT_TRUE(late.cut);
  EXPECT_EQ(FrameLine(*late.cut), "A0 timeout\n");
  // The late byte starts a record of its own.
  EXPECT_EQ(slow.Missing(), 8u);
}

// New time-outs (the port's, read anew) count from the next message on: the
// one being read keeps the deadline it started with.
TEST_F(Framing, NewTimeOutsTakeEffectWithTheNextMessage) {
  Feed("B0");  // interval 100 ms after the "0"
  framer.SetTimeouts({milliseconds(30), milliseconds(10), milliseconds(0)});
  ASSERT_TRUE(framer.Deadline());
  EXPECT_EQ(*framer.Deadline(), start + milliseconds(1 + 100));
  Feed("01");
  Feed("B0");  // at 4 ms: now 10 ms a character, 30 ms in all
  ASSERT_TRUE(framer.Deadline());
  EXPECT_EQ(*framer.Deadline(), start + milliseconds(4 + 30));
  Wait(milliseconds(40));
  EXPECT_EQ(Lines(), "B001\nB0 timeout\n");
}

TEST_F(Framing, AByteAfterTheDeadlineEndsTheOpenMessageFirst) {
  Feed("C0");
  now += milliseconds(150);  // no Expire in between
  Feed("01");
  Wait(milliseconds(1000));
  EXPECT_EQ(Lines(), "C0 timeout\n01 timeout\n");
  EXPECT_FALSE(framer.Expire(start + now + milliseconds(1000)));
}

TEST_F(Framing, TheReaderCanCutAndKnowsWhatIsMissing) {
  EXPECT_EQ(framer.Missing(), 0u);
  EXPECT_FALSE(framer.Cut());
  options.Checksum = 1;
  Feed("T01");
  EXPECT_EQ(framer.Missing(), 6u);  // four digits and the check character
  const auto cut = framer.Cut();
  ASSERT_TRUE(cut);
  EXPECT_FALSE(cut->complete);
  EXPECT_EQ(cut->check, CheckResult::None);  // a cut message is not checked
  EXPECT_EQ(FrameLine(*cut), "T01 timeout\n");
  EXPECT_EQ(framer.Missing(), 0u);
}

TEST_F(Framing, TheFirstByteTimesTheFrame) {
  now = milliseconds(5000);
  Feed("B001", milliseconds(30));
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].first.steady, start + milliseconds(5000));
  EXPECT_EQ(frames[0].first.wall, std::chrono::system_clock::time_point(milliseconds(5000)));
}

TEST(FrameLines, EveryByteStaysInTheLine) {
  Frame frame;
  frame.message = &MessageOf(Kind::WaiterRelease);
  frame.text = std::string("A0\0" "5", 4);
  EXPECT_EQ(FrameLine(frame), std::string("A0\0" "5\n", 5));
  frame.check = CheckResult::Bad;
  frame.expected = '\0';
  EXPECT_EQ(FrameLine(frame), frame.text + " Fehler Chksumme (" + std::string(1, '\0') + ")\n");
  Frame line_feed;
  line_feed.text = "\n";
  EXPECT_EQ(FrameLine(line_feed), "\n (0A) unerwartet\n");
  Frame zero;
  zero.text = std::string(1, '\0');
  EXPECT_EQ(FrameLine(zero), std::string(1, '\0') + " (00) unerwartet\n");
  for (const char* single : {"E\n", "F Datensatz Fehler\n", "R\n", "f Storno ung\xFCltig\n", "r\n",
                             "t Storno ung\xFCltig\n"}) {
    Frame f;
    f.message = MessageStartedBy(static_cast<unsigned char>(single[0]));
    f.text = std::string(1, single[0]);
    EXPECT_EQ(FrameLine(f), single);
  }
  EXPECT_EQ(AnswerLine('F'), "F\n");  // an answer sent is not the received "F"'s line
}

}  // namespace
}  // namespace tapix
