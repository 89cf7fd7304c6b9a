// The line-tap cases every build of the program must pass: the test plays the
// cash register on one line and the dispenser on the other, the program sits
// between them with 9600,N,8,1 on both. A Target has
//   kasse, isb   the two peers' ends (Send, Receive, Drain, as PtyPair)
//   Start(listen_only)  the program started as a tap between them, once it
//                said which ports it joins (a std::unique_ptr<TapixProcess>)
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <memory>
#include <string>
#include <thread>

#include "tapix_process.h"

namespace tapix::e2e {

// A program under Wine may take seconds to start on a busy machine.
inline constexpr milliseconds kTapStart{15000};

template <class Target>
struct TapFixture : ::testing::Test {
  // `bytes` written on one side come out on the other, unchanged.
  template <class From, class To>
  static void Passes(const From& from, const To& to, const std::string& bytes) {
    from.Send(bytes);
    EXPECT_EQ(to.Receive(bytes.size()), bytes);
  }

  Target line;
  decltype(line.kasse)& kasse = line.kasse;
  decltype(line.isb)& isb = line.isb;
};

template <class Target>
class TapCases : public TapFixture<Target> {};

TYPED_TEST_SUITE_P(TapCases);

TYPED_TEST_P(TapCases, ForwardsEveryByteBothWaysAndLogsEachDirection) {
  auto& kasse = this->kasse;
  auto& isb = this->isb;
  auto tapix = this->line.Start(false);
  this->Passes(kasse, isb, "A005");
  this->Passes(isb, kasse, "R");
  std::size_t at = tapix->WaitFor("Kasse > ISB: A005\nISB > Kasse: R\n");
  EXPECT_NE(at, std::string::npos) << tapix->Log();

  // A message cut by a pause, then the rest as new first characters.
  kasse.Send("B00");
  std::this_thread::sleep_for(milliseconds(300));
  kasse.Send("7");
  EXPECT_EQ(isb.Receive(4), "B007");
  at = tapix->WaitFor("Kasse > ISB: B00 timeout\nKasse > ISB: 7", at);
  EXPECT_NE(at, std::string::npos) << tapix->Log();

  // With the check character: a good and a wrong one; the record answer.
  tapix->Command("Checksum on");
  std::this_thread::sleep_for(milliseconds(100));
  this->Passes(kasse, isb, "A005tA005x");
  this->Passes(isb, kasse, "1203450076");
  at = tapix->WaitFor(
      "Kasse > ISB: A005t\nKasse > ISB: A005x Fehler Chksumme (t)\nISB > Kasse: 1203450076\n", at);
  EXPECT_NE(at, std::string::npos) << tapix->Log();

  // Every byte value passes unchanged, in both directions.
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  this->Passes(kasse, isb, all);
  this->Passes(isb, kasse, all);

  // It never answers and never sends on its own.
  tapix->Command("A 5");
  EXPECT_EQ(isb.Drain(milliseconds(300)), "");
  EXPECT_EQ(kasse.Drain(milliseconds(0)), "");
  tapix->Command("quit");
  EXPECT_EQ(tapix->Wait(), 0);
}

TYPED_TEST_P(TapCases, ListenOnlyForwardsNothing) {
  auto& kasse = this->kasse;
  auto& isb = this->isb;
  auto tapix = this->line.Start(true);
  EXPECT_NE(tapix->Log().find("Nur mith\xF6ren"), std::string::npos);
  kasse.Send("A005");
  isb.Send("R");
  EXPECT_NE(tapix->WaitFor("ISB > Kasse: R\n"), std::string::npos) << tapix->Log();
  EXPECT_NE(tapix->Log().find("Kasse > ISB: A005\n"), std::string::npos) << tapix->Log();
  EXPECT_EQ(isb.Drain(milliseconds(300)), "");
  EXPECT_EQ(kasse.Drain(milliseconds(0)), "");
  tapix->Command("quit");
  EXPECT_EQ(tapix->Wait(), 0);
}

// Idle, or waiting out a message a pause will cut, the tap sleeps in its
// wait; a stop request (Ctrl+C) ends it like "Beenden".
TYPED_TEST_P(TapCases, WaitsWithoutSpinningAndStopsOnCtrlC) {
  auto& kasse = this->kasse;
  auto tapix = this->line.Start(false);
  // A second of quiet: hardly any CPU and hardly a wake-up (a wait that
  // keeps returning wakes thousands of times a second).
  const auto quiet_second = [&](const char* what) {
    std::this_thread::sleep_for(milliseconds(300));
    const double cpu = tapix->CpuSeconds();
    const long switches = tapix->ContextSwitches();
    std::this_thread::sleep_for(milliseconds(1000));
    EXPECT_LT(tapix->CpuSeconds() - cpu, 0.3) << what;
    EXPECT_LT(tapix->ContextSwitches() - switches, 100) << what;
  };
  quiet_second("the idle tap spins");

  this->Passes(kasse, this->isb, "B0");  // left open: only the pause ends it
  EXPECT_NE(tapix->WaitFor("Kasse > ISB: B0 timeout\n"), std::string::npos) << tapix->Log();
  quiet_second("the tap spins after a cut message");

  ::kill(tapix->pid(), SIGINT);
  EXPECT_EQ(tapix->Wait(), 0);
}

// Both devices use check characters, the tap does not: the hint names the
// setting that reads both directions, once, and the options stay off.
TYPED_TEST_P(TapCases, AHintNamesTheOptionsBothSidesUse) {
  auto& kasse = this->kasse;
  auto& isb = this->isb;
  auto tapix = this->line.Start(true);
  // Each with its check character, the XOR of the characters before it.
  const char* const requests[] = {"A005t", "B012q", "T0120071a", "@01207t", "C000s", "W0051S"};
  for (int round = 0; round < 3; ++round) {
    for (const char* request : requests) {
      kasse.Send(request);
      std::this_thread::sleep_for(milliseconds(60));
      isb.Send("R");
      std::this_thread::sleep_for(milliseconds(90));
    }
  }
  EXPECT_NE(tapix->WaitFor("Hinweis: Der Verkehr passt zu Pr\xFC" "fsumme an, Kellner 3-stellig aus, "
                           "Kreditst\xFC" "ckzahl aus\n", 0, milliseconds(10000)),
            std::string::npos)
      << tapix->Log();
  tapix->Command("quit");
  EXPECT_EQ(tapix->Wait(), 0);
  const std::string& log = tapix->Log();
  EXPECT_EQ(log.find("Hinweis:"), log.rfind("Hinweis:")) << log;
}

REGISTER_TYPED_TEST_SUITE_P(TapCases, ForwardsEveryByteBothWaysAndLogsEachDirection,
                            ListenOnlyForwardsNothing, WaitsWithoutSpinningAndStopsOnCtrlC,
                            AHintNamesTheOptionsBothSidesUse);

}  // namespace tapix::e2e
