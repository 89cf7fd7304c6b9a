// The diagnosis cases every build of the program must pass: a log that runs
// for days (stamps with the date, a file that rotates at its size). The test
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

REGISTER_TYPED_TEST_SUITE_P(DiagnosisCases, TheLogFileRotatesAtItsLimitAndStampsTheDate);

}  // namespace tapix::e2e
