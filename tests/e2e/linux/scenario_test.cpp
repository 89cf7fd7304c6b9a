// The Linux program plays scenarios on a pty pair.
#include <gtest/gtest.h>

#include "scenario_cases.h"

namespace tapix::e2e {
namespace {

// The Linux program on a pty, with a settings store of its own.
struct PtyScenario {
  explicit PtyScenario(std::vector<std::string> options)
      : tapix(WithLine(std::move(options), pty.path() + ",9600,N,8,1"), config.path()) {}
  static std::string FileArg(const std::string& path) { return path; }
  static std::vector<std::string> WithLine(std::vector<std::string> options, std::string line) {
    options.push_back(std::move(line));
    return options;
  }
  TempDir config;
  PtyPair pty;
  TapixProcess tapix;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Pty, Scenarios, PtyScenario);

namespace {

using ScenarioRun = ScenarioFixture<PtyScenario>;

// A stop request in the middle is no pass: the scenario did not run to its
// end.
TEST_F(ScenarioRun, AStopBeforeTheEndIsNoPass) {
  ASSERT_TRUE(Play("expect A005 within 60000\n"));
  ::kill(line->tapix.pid(), SIGTERM);
  EXPECT_EQ(Exit(), 3);
  EXPECT_NE(line->tapix.Log().find(script + ":1: nicht zu Ende gelaufen: vorher beendet\n"),
            std::string::npos)
      << line->tapix.Log();
  EXPECT_NE(Report().find("failures=\"1\""), std::string::npos) << Report();
}

// Nothing on standard input races a scenario: it is not read.
TEST_F(ScenarioRun, StandardInputIsNotRead) {
  ASSERT_TRUE(Play("expect A005 within 10000\n"));
  line->tapix.Command("quit");
  line->tapix.Command("B 7");
  EXPECT_EQ(line->pty.Drain(milliseconds(200)), "");
  EXPECT_EQ(Exchange("A005", 1), "R");
  EXPECT_EQ(Exit(), 0) << line->tapix.Log();
}

TEST(ScenarioOptions, ReportWithoutScriptIsABadCommandLine) {
  TempDir config;
  TapixProcess tapix({"--report=/tmp/r.xml"}, config.path());
  EXPECT_EQ(tapix.Wait(), 2);
  EXPECT_NE(tapix.Log().find("tapix: --report braucht --script=DATEI\n"), std::string::npos);
}

}  // namespace
}  // namespace tapix::e2e
