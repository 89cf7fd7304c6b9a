// The receive dispatcher: what each first byte reads, and the exact log lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "protocol/catalogue.h"
#include "session_fixture.h"

namespace tapix {
namespace {

using testing::SessionFixture;

struct Receiver : ::testing::Test, SessionFixture {
  Receiver() { session.options.AutoAnswer = 0; }
};

TEST_F(Receiver, ChecksumGoodAndWrong) {
  session.options.Checksum = 1;
  Receive("A005t");
  Receive("A005x");
  EXPECT_EQ(console.log_, "A005t\nA005x Fehler Chksumme (t)\n");
}

TEST_F(Receiver, SenderWithChecksumReceiverWithout) {
  Receive("A005t");
  EXPECT_EQ(console.log_, "A005\nt Storno ung\xFCltig\n");
}

TEST_F(Receiver, ReceiverWithChecksumSenderWithout) {
  session.options.Checksum = 1;
  Receive("A005");
  EXPECT_EQ(console.log_, "A005 timeout\n");
}

TEST_F(Receiver, CreditQuantityMismatchSwallowsTheNextMessage) {
  session.options.CreditQuantity = 1;
  Receive("K0744");  // a sender without the option: four characters, then a pause
  Receive("K0744A005");
  EXPECT_EQ(console.log_, "K0744 timeout\nK0744A005\n");
}

TEST_F(Receiver, SingleCharacterMessages) {
  Receive("EFRfrt");
  EXPECT_EQ(console.log_,
            "E\nF Datensatz Fehler\nR\nf Storno ung\xFCltig\nr\nt Storno ung\xFCltig\n");
}

TEST_F(Receiver, UnexpectedBytesEachGetTheirOwnLine) {
  Receive(std::string("\n\xB5" "a", 3) + std::string(1, '\0'));
  EXPECT_EQ(console.log_, std::string("\n (0A) unerwartet\n\xB5 (B5) unerwartet\na (61) unerwartet\n") +
                              std::string(1, '\0') + " (00) unerwartet\n");
}

TEST_F(Receiver, LengthsFollowTheOptions) {
  Receive("1203450076");  // record without Waiter3: nine digits; the 6 starts a new one
  session.options.Waiter3 = 1;
  Receive("@012007@01207");
  EXPECT_EQ(console.log_, "120345007\n6 timeout\n@012007\n@01207 timeout\n");
}

TEST_F(Receiver, ShortReadAndFailedRead) {
  Receive("T012");
  Receive("Q");
  EXPECT_EQ(console.log_, "T012 timeout\nQ timeout\n");
}

TEST_F(Receiver, ZeroByteInsideAMessageIsStillLogged) {
  Receive(std::string("A0\0" "5", 4));
  EXPECT_EQ(console.log_, std::string("A0\0" "5\n", 5));
}

TEST_F(Receiver, ChecksumOptionIsTakenWhenTheFirstByteArrives) {
  session.options.Checksum = 1;
  Receive("B001");
  session.options.Checksum = 0;
  Receive("B001");
  EXPECT_EQ(console.log_, "B001 timeout\nB001\n");
}

// Rebuilds the received byte stream from the log: every byte that came must be
// in exactly one line, and no line may show a byte that did not come. Answer
// lines are told apart by the write that goes before them.
struct Written {
  std::size_t at;  // log position when the write happened
  std::string bytes;
};

bool Eat(const std::string& log, std::size_t& pos, std::string_view what) {
  if (log.compare(pos, what.size(), what) != 0) return false;
  pos += what.size();
  return true;
}

std::string Rebuild(const std::string& log, const std::vector<Written>& writes,
                    const OptionFlags& opt, int* answers) {
  std::string bytes;
  std::size_t pos = 0;
  std::size_t next_write = 0;
  while (pos < log.size() || next_write < writes.size()) {
    if (next_write < writes.size() && writes[next_write].at == pos) {
      // An answer went out here; a single-character answer has its log line.
      const std::string& written = writes[next_write++].bytes;
      if (written.size() == 1) {
        EXPECT_TRUE(Eat(log, pos, written + "\n")) << "answer line at " << pos;
        ++*answers;
      }
      continue;  // a record answer is echoed, not logged
    }
    if (pos >= log.size()) break;
    const unsigned char c = static_cast<unsigned char>(log[pos]);
    switch (Classify(c)) {
      case FirstKind::Query:
        EXPECT_TRUE(Eat(log, pos, "E\n"));
        bytes.push_back('E');
        break;
      case FirstKind::Single: {
        std::string line = c == 'F'   ? "F Datensatz Fehler\n"
                           : c == 'f' ? "f Storno ung\xFCltig\n"
                           : c == 't' ? "t Storno ung\xFCltig\n"
                                      : std::string(1, static_cast<char>(c)) + "\n";
        EXPECT_TRUE(Eat(log, pos, line)) << "at " << pos;
        bytes.push_back(static_cast<char>(c));
        break;
      }
      case FirstKind::Unexpected: {
        char line[32];
        int n = std::snprintf(line, sizeof line, "%c (%02X) unerwartet\n", c, c);
        EXPECT_TRUE(Eat(log, pos, std::string_view(line, static_cast<std::size_t>(n)))) << pos;
        bytes.push_back(static_cast<char>(c));
        break;
      }
      default: {
        const std::size_t full = 1 + FollowCount(c, opt) + (opt.Checksum ? 1 : 0);
        // A short read shows fewer than `full` bytes and " timeout"; random
        // bytes cannot fake those nine characters in practice.
        const std::size_t end = log.find(" timeout\n", pos + 1);
        if (end != std::string::npos && end - pos < full) {
          bytes.append(log, pos, end - pos);
          pos = end + 9;
          break;
        }
        bytes.append(log, pos, full);
        pos += full;
        if (!Eat(log, pos, "\n")) {
          EXPECT_TRUE(Eat(log, pos, " Fehler Chksumme (")) << "at " << pos;
          pos += 1;  // the expected character
          EXPECT_TRUE(Eat(log, pos, ")\n"));
        }
      }
    }
    if (::testing::Test::HasFailure()) break;
  }
  return bytes;
}

TEST(ReceiverStream, EveryByteIsAccountedForInEveryOptionCombination) {
  std::mt19937 rng(20261208);
  const std::string likely = "0123456789@ABCWTKSQqEFRfrt";
  for (int combo = 0; combo < 32; ++combo) {
    Session session;
    SetDefaults(session.settings);
    ResetOptions(session);
    session.options.Checksum = combo & 1;
    session.options.Waiter3 = (combo >> 1) & 1;
    session.options.CreditQuantity = (combo >> 2) & 1;
    session.options.AutoAnswer = (combo >> 3) & 1;
    session.options.AnswerOk = (combo >> 4) & 1;
    testing::CaptureConsole console;
    session.console = &console;
    std::vector<Written> writes;
    auto owned = std::make_unique<testing::ScriptedDevice>();
    testing::ScriptedDevice* device = owned.get();
    device->on_write_ = [&](std::string_view bytes) {
      writes.push_back({console.log_.size(), std::string(bytes)});
    };
    session.port = std::move(owned);

    std::string sent;
    for (int chunk = 0; chunk < 400; ++chunk) {
      std::string c;
      const int len = 1 + static_cast<int>(rng() % 16);
      for (int i = 0; i < len; ++i) {
        c.push_back(rng() % 2 ? likely[rng() % likely.size()] : static_cast<char>(rng() % 256));
      }
      sent += c;
      device->Feed(c);
    }
    unsigned char byte;
    while (session.port->Read(&byte, 1) == 1) DispatchByte(session, byte);

    int answers = 0;
    const std::string rebuilt = Rebuild(console.log_, writes, session.options, &answers);
    ASSERT_EQ(rebuilt.size(), sent.size()) << "option combination " << combo;
    ASSERT_TRUE(rebuilt == sent) << "option combination " << combo;
    if (!session.options.AutoAnswer) {
      EXPECT_EQ(answers, 0);
    }
  }
}

}  // namespace
}  // namespace tapix
