// Scenarios: reading a file's statements (and naming the place of a
// mistake), running them in order against the line, matching what arrived,
// and the report.
#include <gtest/gtest.h>

#include "app/exit_codes.h"
#include "app/junit_report.h"
#include "app/loop.h"
#include "app/scenario.h"
#include "app/script_reader.h"
#include "session_fixture.h"

namespace tapix {
namespace {

Script Read(std::string_view text) {
  Script script;
  script.name = "t.tps";
  const std::optional<ScriptError> error = ReadScript(text, script);
  EXPECT_FALSE(error) << (error ? std::to_string(error->line) + ":" +
                                      std::to_string(error->column) + ": " + error->why
                                : "");
  return script;
}

ScriptError ErrorIn(std::string_view text) {
  Script script;
  return ReadScript(text, script).value_or(ScriptError{0, 0, "(kein Fehler)"});
}

TEST(ScriptReader, StatementsCommentsAndLineEnds) {
  const Script script = Read(
      "\xEF\xBB\xBF# Kasse unter Test\r\n"
      "\r\n"
      "  Checksum on   # Pr\xFC" "fsumme\r\n"
      "answer next delay 200 count 2\n"
      "expect A005\n"
      "expect R within 500 # die Antwort\n"
      "EXPECT nothing WITHIN 0\n"
      "wait 1500\n"
      "send A0\\x0d#5 \\\\ \n"
      "mark Schritt #2\n");
  ASSERT_EQ(script.statements.size(), 8u);
  const auto& s = script.statements;
  EXPECT_EQ(s[0].line, 3u);
  EXPECT_EQ(s[0].source, "Checksum on");
  EXPECT_EQ(s[0].command.type, CommandType::Option);
  EXPECT_EQ(s[1].command.fault.count, 2u);
  EXPECT_EQ(s[2].type, StatementType::Expect);
  EXPECT_EQ(s[2].bytes, "A005");
  EXPECT_EQ(s[2].time.count(), 2000);
  EXPECT_EQ(s[3].time.count(), 500);
  EXPECT_EQ(s[3].source, "expect R within 500");
  EXPECT_EQ(s[4].type, StatementType::ExpectNothing);
  EXPECT_EQ(s[4].time.count(), 0);
  EXPECT_EQ(s[5].type, StatementType::Wait);
  EXPECT_EQ(s[5].time.count(), 1500);
  EXPECT_EQ(s[6].type, StatementType::Send);
  EXPECT_EQ(s[6].bytes, "A0\r#5 \\");  // '#' is a byte here
  EXPECT_EQ(s[7].command.text, "Schritt #2");
  EXPECT_EQ(s[7].line, 10u);
}

TEST(ScriptReader, MistakesNameLineAndColumn) {
  struct Case {
    const char* text;
    std::size_t line, column;
    const char* why;
  } const cases[] = {
      {"A 5\n\n  T 1 2\n", 3, 9, "zu wenige Zahlen"},
      {"# x\nhallo welt\n", 2, 1, "unbekannter Befehl"},
      {"expect\n", 1, 8, "Nachricht oder nothing fehlt"},
      {"expect A0\\q5\n", 1, 10, "\\xNN oder \\\\ erwartet"},
      {"expect x005\n", 1, 8, "keine Nachricht: das erste Zeichen beginnt keine"},
      {"expect R in 5\n", 1, 10, "within erwartet"},
      {"expect R within\n", 1, 17, "Millisekunden fehlen"},
      {"expect R within 5 6\n", 1, 19, "zu viele W\xF6rter"},
      {"expect R within -5\n", 1, 17, "Millisekunden von 0 bis 86400000 erwartet"},
      {"expect nothing\n", 1, 16, "within MS fehlt"},
      {"wait\n", 1, 6, "Millisekunden fehlen"},
      {"wait 86400001\n", 1, 6, "Millisekunden von 0 bis 86400000 erwartet"},
      {"wait 5 # x\nwait 5 6\n", 2, 8, "zu viele W\xF6rter"},
      {"send   \n", 1, 6, "Text fehlt"},
      {"send  AB\\x4\n", 1, 9, "\\xNN oder \\\\ erwartet"},
      {"answer next delay\n", 1, 19, "Millisekunden fehlen"},
  };
  for (const Case& c : cases) {
    const ScriptError error = ErrorIn(c.text);
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_EQ(error.column, c.column) << c.text;
    EXPECT_EQ(error.why, c.why) << c.text;
  }
  EXPECT_EQ(ErrorIn("A 5\n" + std::string(5000, 'x')).why, "Zeile zu lang");
}

TEST(ScriptReader, AFileThatCannotBeReadIsNamed) {
  Script script;
  std::string error;
  EXPECT_FALSE(LoadScript("/nonexistent/t.tps", script, error));
  EXPECT_EQ(error.rfind("/nonexistent/t.tps: nicht lesbar: ", 0), 0u) << error;
}

struct ScenarioRun : ::testing::Test, testing::SessionFixture {
  ScenarioRun() { UseWindow(); }
  void Start(std::string_view text) {
    session.quit_requested = false;
    session.exit_code = kExitNormal;
    Attach(Read(text));
    scenario->Step(session);
  }
  void Attach(Script script) {
    // The scenario's clock stands still: the times in failure lines and
    // the report do not depend on how fast the machine runs the test.
    scenario = std::make_unique<Scenario>(std::move(script), [this] { return clock; });
    session.scenario = scenario.get();
    session.observers.assign(1, scenario.get());
  }
  // A burst from the peer, then the scenario's turn.
  void Peer(const std::string& burst) {
    Receive(burst);
    scenario->Step(session);
  }
  std::unique_ptr<Scenario> scenario;
  std::chrono::steady_clock::time_point clock = std::chrono::steady_clock::now();
};

TEST_F(ScenarioRun, StatementsRunInOrderAndWaitForWhatTheyExpect) {
  Start("A 5\nsend K0\\x31\nexpect R\nexpect F within 60000\nB 7\n");
  EXPECT_EQ(device->written_, "A005K01");
  EXPECT_FALSE(scenario->Over());
  ASSERT_TRUE(scenario->Deadline(session));
  EXPECT_GT(*scenario->Deadline(session), clock);  // waits for "R"
  Peer("R");
  EXPECT_FALSE(scenario->Over());
  Peer("F");
  EXPECT_TRUE(scenario->Over());
  EXPECT_FALSE(scenario->Failed());
  EXPECT_EQ(device->written_, "A005K01B007");
  EXPECT_TRUE(session.quit_requested);
  EXPECT_EQ(session.exit_code, kExitNormal);
  EXPECT_NE(console.log_.find("t.tps: 2 von 2 Erwartungen erf\xFCllt\n"), std::string::npos);
}

// A request held back by a message being read holds the statements after
// it: nothing overtakes it, and the run does not end before it went out.
TEST_F(ScenarioRun, AStatementWaitsForTheRequestBeforeIt) {
  now += std::chrono::seconds(10);
  session.receiver.Take(session, "A0", {now, LogClock::time_point{}});
  Start("A 5\nsend X\n");
  EXPECT_EQ(device->written_, "");
  EXPECT_FALSE(scenario->Deadline(session));
  EXPECT_FALSE(scenario->Over());
  now += std::chrono::seconds(10);
  ExpireMessage(session, now);  // the cut "A0" is answered, then the request goes
  scenario->Step(session);
  EXPECT_EQ(device->written_, "RA005X");
  EXPECT_TRUE(scenario->Over());
  EXPECT_FALSE(scenario->Failed());
}

TEST_F(ScenarioRun, AMessageThatCameEarlyWaitsForTheNextExpect) {
  Attach(Read("expect A005\nexpect E\n"));
  Receive("A005E");  // both before the scenario looks: answered, and kept
  EXPECT_EQ(device->written_, "R000000000");
  scenario->Step(session);
  EXPECT_TRUE(scenario->Over());
  EXPECT_FALSE(scenario->Failed());
}

TEST_F(ScenarioRun, TheCheckCharacterMustArriveAndBeRight) {
  Start("Checksum on\nexpect A005\nexpect A005\n");
  Peer("A005t");
  EXPECT_FALSE(scenario->Failed());
  Peer("A005u");
  ASSERT_TRUE(scenario->Failed());
  EXPECT_EQ(scenario->FailureLine(),
            "t.tps:3: erwartet \"A005\", gekommen \"A005u\" mit falscher Pr\xFC"
            "fsumme (richtig: \"t\") nach 0 ms\n");
  EXPECT_EQ(session.exit_code, kExitExpectationFailed);
  EXPECT_NE(console.log_.find(scenario->FailureLine()), std::string::npos);
}

TEST_F(ScenarioRun, FailureLinesSayWhatCameReadably) {
  const struct {
    const char* burst;
    const char* came;
  } cases[] = {
      {"A006", "\"A006\""},
      {"A0", "\"A0\" unvollst\xE4ndig (timeout)"},
      {"\r", "\"\\x0D\" beginnt keine Nachricht"},
  };
  for (const auto& c : cases) {
    Start("expect A005 within 60000\n");
    Peer(c.burst);
    EXPECT_EQ(scenario->FailureLine(),
              std::string("t.tps:1: erwartet \"A005\", gekommen ") + c.came + " nach 0 ms\n");
  }
  // The time waited runs from the statement's start to the arrival.
  Start("expect A005 within 60000\n");
  clock += std::chrono::milliseconds(1234);
  Peer("A006");
  EXPECT_EQ(scenario->FailureLine(),
            "t.tps:1: erwartet \"A005\", gekommen \"A006\" nach 1234 ms\n");
  Start("expect A005 within 0\n");  // its time is over when it is looked at
  EXPECT_EQ(scenario->FailureLine(),
            "t.tps:1: erwartet \"A005\" innerhalb 0 ms, gekommen nichts\n");
}

TEST_F(ScenarioRun, ExpectNothingFailsOnAnyByteWithinItsTime) {
  Start("expect nothing within 0\nexpect nothing within 60000\n");
  EXPECT_FALSE(scenario->Failed());
  Peer("\x01");
  ASSERT_TRUE(scenario->Failed());
  EXPECT_EQ(scenario->FailureLine(),
            "t.tps:2: erwartet nichts innerhalb 60000 ms, gekommen \"\\x01\" beginnt keine "
            "Nachricht nach 0 ms\n");
  // A message whose first byte came in time fails it, although it ends
  // (here: is cut) only after the time is up.
  now += std::chrono::seconds(10);
  session.receiver.Take(session, "A0", {now, LogClock::time_point{}});
  Start("expect nothing within 0\n");
  EXPECT_FALSE(scenario->Over());
  EXPECT_FALSE(scenario->Deadline(session)) << "the receiver's deadline decides";
  now += std::chrono::seconds(10);
  session.receiver.Expire(session, now);
  scenario->Step(session);
  ASSERT_TRUE(scenario->Failed());
  EXPECT_EQ(scenario->FailureLine().rfind(
                "t.tps:1: erwartet nichts innerhalb 0 ms, gekommen \"A0\" unvollst\xE4ndig", 0),
            0u)
      << scenario->FailureLine();
}

TEST_F(ScenarioRun, QuitEndsItAsItsEndWouldAStopDoesNot) {
  Start("expect nothing within 0\nquit\nexpect R\n");
  EXPECT_TRUE(scenario->Over());
  EXPECT_FALSE(scenario->Failed());
  EXPECT_EQ(scenario->Results()[1].outcome, ExpectResult::Outcome::NotReached);

  Start("expect R within 60000\nexpect F\n");
  session.quit_requested = true;  // Ctrl+C while it waits
  scenario->Finish(session);
  EXPECT_TRUE(scenario->Failed());
  EXPECT_EQ(session.exit_code, kExitExpectationFailed);
  EXPECT_EQ(scenario->FailureLine(), "t.tps:1: nicht zu Ende gelaufen: vorher beendet\n");
}

TEST_F(ScenarioRun, TheReportHasOneCasePerExpect) {
  Start("expect A005\nexpect nothing within 0\nexpect A<&>\"'\x01\nexpect R\n");
  Peer("A005");
  Peer("B");  // B is no answer: "B" starts a message that never ends
  const std::string xml = JunitReport(*scenario, std::chrono::milliseconds(1234));
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n", 0), 0u);
  EXPECT_NE(xml.find("<testsuite name=\"t.tps\" tests=\"4\" failures=\"1\" errors=\"0\" "
                     "skipped=\"1\" time=\"1.234\">"),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<testcase classname=\"t.tps\" name=\"1: expect A005\" time=\"0.000\"/>"),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("name=\"4: expect R\""), std::string::npos);
  EXPECT_NE(xml.find("<skipped message=\"nicht erreicht\"/>"), std::string::npos);
  // Markup in the statement and umlauts in the text are escaped and UTF-8.
  // A control byte, which XML cannot hold, is its picture (U+2401).
  EXPECT_NE(xml.find("name=\"3: expect A&lt;&amp;&gt;&quot;&apos;\xE2\x90\x81\""),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("unvollst\xC3\xA4ndig"), std::string::npos) << xml;
}

}  // namespace
}  // namespace tapix
