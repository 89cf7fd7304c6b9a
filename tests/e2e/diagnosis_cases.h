// The diagnosis cases every build of the program must pass: a log that runs
// for days (stamps with the date, a file that rotates at its size), the hint
// when the peer's options differ, and --detect. The test
// plays the peer on one end of the line, the program runs on the other with
// 9600,N,8,1. A Target has
//   pty          the peer's end (Send, Receive, Drain, as PtyPair)
//   Start(options)  the program on the line with these options in front of
//                the line argument (a std::unique_ptr<TapixProcess>)
//   Folder()     a folder of the test's own (a Linux path)
//   Named(path)  how the program names that Linux path (Wine: "Z:" + path)
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tapix_process.h"

namespace tapix::e2e {

// A program under Wine may take seconds to start on a busy machine.
inline constexpr milliseconds kDiagnosisStart{15000};

template <class Target>
struct DiagnosisFixture : ::testing::Test {
  Target line;
  decltype(line.pty)& pty = line.pty;
};

template <class Target>
class DiagnosisCases : public DiagnosisFixture<Target> {};

TYPED_TEST_SUITE_P(DiagnosisCases);

// The numbers of the "A%03u" messages of a log file, in order; {-1} when a
// line is not whole (no line feed at its end) or carries no dated stamp.
inline std::vector<int> WaiterNumbers(const std::string& text) {
  static const std::regex dated(R"(---- Tapix, Protokoll vom \d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d ----)");
  static const std::regex stamped(R"(\[\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3}\] (.*))");
  if (text.empty() || text.back() != '\n') return {-1};
  std::vector<int> numbers;
  std::istringstream lines(text);
  std::smatch m;
  for (std::string line; std::getline(lines, line);) {
    if (std::regex_match(line, dated)) continue;
    if (!std::regex_match(line, m, stamped)) return {-1};
    int n = 0;
    const std::string rest = m[1];
    if (rest.size() == 4 && std::sscanf(rest.c_str(), "A%d", &n) == 1) numbers.push_back(n);
  }
  return numbers;
}

// A week on site in a few seconds: every line stamped with its date, the
// file never past its limit, the lines before it in FILE.1, older ones gone,
// each file beginning with the dated line and holding whole lines, and no
// message lost or doubled between the two.
TYPED_TEST_P(DiagnosisCases, TheLogFileRotatesAtItsLimitAndStampsTheDate) {
  auto& pty = this->pty;
  const std::string file = this->line.Folder() + "/line.log";
  auto tapix = this->line.Start(
      {"--timestamps=date", "--log=" + this->line.Named(file), "--log-max=2k"});
  ASSERT_NE(tapix->WaitFor(") succeeded\n", 0, kDiagnosisStart), std::string::npos)
      << tapix->Log();
  for (int i = 0; i < 80; ++i) {
    char message[8];
    std::snprintf(message, sizeof message, "A%03d", i);
    pty.Send(message);
    ASSERT_EQ(pty.Receive(1), "R") << i;
  }
  ASSERT_NE(tapix->WaitFor("] A079\n"), std::string::npos) << tapix->Log();
  EXPECT_TRUE(std::regex_search(tapix->Log(),
                                std::regex(R"(\n\[\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3}\] A005\n)")))
      << tapix->Log();
  tapix->Command("quit");
  EXPECT_EQ(tapix->Wait(milliseconds(15000)), 0) << tapix->Log();

  const std::string newer = ReadFile(file);
  const std::string older = ReadFile(file + ".1");
  EXPECT_LE(newer.size(), 2048u);
  EXPECT_LE(older.size(), 2048u);
  EXPECT_EQ(newer.rfind("---- Tapix, Protokoll vom ", 0), 0u) << newer;
  EXPECT_EQ(older.rfind("---- Tapix, Protokoll vom ", 0), 0u) << older;
  std::vector<int> numbers = WaiterNumbers(older);
  const std::vector<int> after = WaiterNumbers(newer);
  numbers.insert(numbers.end(), after.begin(), after.end());
  ASSERT_GE(numbers.size(), 2u) << older << newer;
  EXPECT_GT(numbers.front(), 0) << "older generations stay";
  for (std::size_t i = 1; i < numbers.size(); ++i) {
    EXPECT_EQ(numbers[i], numbers[i - 1] + 1) << older << "----\n" << newer;
  }
  EXPECT_EQ(numbers.back(), 79);
}

// A message as a sender with the Checksum option writes it: the XOR of its
// characters after them.
inline std::string WithCheck(std::string text) {
  char check = 0;
  for (const char c : text) check = static_cast<char>(check ^ c);
  text.push_back(check);
  return text;
}

// A peer set otherwise than the program (its three options off), with the
// messages it sends and the hint that names its setting.
struct OtherPeer {
  const char* set;
  std::vector<std::string> messages;
  std::string hint;
};

inline std::vector<OtherPeer> OtherPeers() {
  return {
      {"Checksum",
       {WithCheck("A005"), WithCheck("B012"), WithCheck("T0120071"), WithCheck("@01207"),
        WithCheck("C000"), WithCheck("W0051")},
       "Pr\xFC" "fsumme an, Kellner 3-stellig aus, Kreditst\xFC" "ckzahl aus"},
      // The table occupancy and the record with three-digit waiters.
      {"Waiter3",
       {"@012007", "0070345012", "A005", "@003120", "1200345003", "B012"},
       "Pr\xFC" "fsumme aus, Kellner 3-stellig an, Kreditst\xFC" "ckzahl aus"},
      // The credit messages with a quantity.
      {"CreditQuantity",
       {"K00020345", "S00010345", "Q00050330345", "A005", "q00010330345", "K00030100"},
       "Pr\xFC" "fsumme aus, Kellner 3-stellig aus, Kreditst\xFC" "ckzahl an"},
  };
}

// The peer's messages, `rounds` times, a pause after each (the program's
// answers, if any, are read meanwhile).
template <class Pty>
void Play(Pty& pty, const std::vector<std::string>& messages, int rounds) {
  for (int round = 0; round < rounds; ++round) {
    for (const std::string& message : messages) {
      pty.Send(message);
      pty.Drain(milliseconds(150));
    }
  }
}

inline std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Each of the three options set otherwise on the peer: one line names the
// setting the traffic fits, once however long the traffic goes on; the
// program's options stay as they were.
TYPED_TEST_P(DiagnosisCases, AHintNamesTheOptionsThePeerUses) {
  auto& pty = this->pty;
  for (const OtherPeer& peer : OtherPeers()) {
    auto tapix = this->line.Start({});
    ASSERT_NE(tapix->WaitFor(") succeeded\n", 0, kDiagnosisStart), std::string::npos)
        << tapix->Log();
    Play(pty, peer.messages, 4);
    const std::string hint = "Hinweis: Der Verkehr passt zu " + peer.hint + "\n";
    EXPECT_NE(tapix->WaitFor(hint, 0, milliseconds(10000)), std::string::npos)
        << peer.set << "\n" << tapix->Log();
    Play(pty, peer.messages, 2);
    tapix->Command("quit");
    EXPECT_EQ(tapix->Wait(milliseconds(15000)), 0) << tapix->Log();
    EXPECT_EQ(Count(tapix->Log(), "Hinweis:"), 1u) << peer.set << "\n" << tapix->Log();
    pty.Drain(milliseconds(100));
  }
}

// Options that fit and a line with noise on it: the faults are the line's,
// no setting would read them, and no hint misleads.
TYPED_TEST_P(DiagnosisCases, NoHintWhenTheOptionsFit) {
  auto& pty = this->pty;
  auto tapix = this->line.Start({});
  ASSERT_NE(tapix->WaitFor(") succeeded\n", 0, kDiagnosisStart), std::string::npos)
      << tapix->Log();
  const std::vector<std::string> fitting = {"A005", "@01207", "K0345", "071234012", "B012"};
  Play(pty, fitting, 2);
  pty.Send(std::string("\x01\x02", 2));
  pty.Drain(milliseconds(150));
  Play(pty, fitting, 2);
  ASSERT_NE(tapix->WaitFor("(02) unerwartet\n"), std::string::npos) << tapix->Log();
  // Long enough for the surveys the noise asks for.
  pty.Drain(milliseconds(2500));
  tapix->Command("quit");
  EXPECT_EQ(tapix->Wait(milliseconds(15000)), 0) << tapix->Log();
  EXPECT_EQ(tapix->Log().find("Hinweis:"), std::string::npos) << tapix->Log();
}

// --detect listens (writes nothing) and ends as soon as enough messages
// have come, with the evidence of each setting and exit code 0; on a line
// that no setting reads it ends when its time is up, with exit code 1.
TYPED_TEST_P(DiagnosisCases, DetectNamesTheOptionsOrSaysThatNoneFit) {
  auto& pty = this->pty;
  const OtherPeer peer = OtherPeers().front();
  auto tapix = this->line.Start({"--detect=60"});
  ASSERT_NE(tapix->WaitFor(") succeeded\n", 0, kDiagnosisStart), std::string::npos)
      << tapix->Log();
  std::string written;
  for (int round = 0; round < 6 && tapix->Log().find("Ergebnis:") == std::string::npos; ++round) {
    for (const std::string& message : peer.messages) {
      pty.Send(message);
      written += pty.Drain(milliseconds(150));
    }
  }
  EXPECT_EQ(tapix->Wait(milliseconds(20000)), 0) << tapix->Log();
  const std::string& log = tapix->Log();
  EXPECT_NE(log.find("Ergebnis: Der Verkehr passt zu " + peer.hint + "\n"), std::string::npos)
      << log;
  EXPECT_TRUE(std::regex_search(log, std::regex(peer.hint + R"(: (\d\d) Nachrichten, 0 Fehler Chksumme, 0 timeout, 0 unerwartet\n)")))
      << log;
  // The setting of the program: read with errors, and marked.
  EXPECT_TRUE(std::regex_search(
      log, std::regex("Pr\xFC" "fsumme aus, Kellner 3-stellig aus, Kreditst\xFC" "ckzahl aus: "
                      R"(\d+ Nachrichten, \d+ Fehler Chksumme, \d+ timeout, \d+ unerwartet \(eingestellt\)\n)")))
      << log;
  EXPECT_EQ(written, "");

  tapix = this->line.Start({"--detect=2"});
  ASSERT_NE(tapix->WaitFor(") succeeded\n", 0, kDiagnosisStart), std::string::npos)
      << tapix->Log();
  pty.Send(std::string("\x01\x02\x03\xFF\x7F", 5));
  EXPECT_EQ(tapix->Wait(milliseconds(20000)), 1) << tapix->Log();
  EXPECT_NE(tapix->Log().find("Ergebnis: keine Kombination der Optionen erkl\xE4rt den Verkehr\n"),
            std::string::npos)
      << tapix->Log();
}

REGISTER_TYPED_TEST_SUITE_P(DiagnosisCases, TheLogFileRotatesAtItsLimitAndStampsTheDate,
                            AHintNamesTheOptionsThePeerUses, NoHintWhenTheOptionsFit,
                            DetectNamesTheOptionsOrSaysThatNoneFit);

}  // namespace tapix::e2e
