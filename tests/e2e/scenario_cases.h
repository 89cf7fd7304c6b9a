// The scenario cases every build of the program must pass: the program plays
// a scenario (--script) on one end of the line, in either role, and the test
// plays the other end byte for byte, or a second Tapix (the Linux program
// with a scenario of its own) does. A Target starts the program with its
// options on a line of its platform:
//   Target(options)  starts it: the options, then its line argument
//   pty              the other end of its line (Send, Receive, Drain, fd)
//   tapix            the running program (a TapixProcess)
//   FileArg(path)    how the program is given a file of this machine
// Examples and the peers' scenarios come from the source tree
// (TAPIX_SOURCE_DIR).
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tapix_process.h"

namespace tapix::e2e {

// Copies bytes both ways between the other ends of two lines (two pty
// masters) until it is stopped: two programs on a line of their own each
// talk as on one line, and neither sees the other hang up.
class Relay {
 public:
  Relay(int a, int b) : thread_([this, a, b] { Run(a, b); }) {}
  ~Relay() {
    stop_ = true;
    thread_.join();
  }

 private:
  void Run(int a, int b) {
    const int ends[2] = {a, b};
    pollfd p[2] = {{a, POLLIN, 0}, {b, POLLIN, 0}};
    while (!stop_) {
      if (::poll(p, 2, 20) <= 0) continue;
      for (int i = 0; i < 2; ++i) {
        char buffer[512];
        const ssize_t n = p[i].revents ? ::read(p[i].fd, buffer, sizeof buffer) : 0;
        if (n > 0) {
          [[maybe_unused]] ssize_t w = ::write(ends[1 - i], buffer, static_cast<size_t>(n));
        } else if (p[i].revents) {
          p[i].fd = -1;  // that program has gone: its line is no longer watched
        }
      }
    }
  }
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

template <class Target>
struct ScenarioFixture : ::testing::Test {
  // A scenario file in the test's folder; its name as the program is given it.
  std::string Scenario(const std::string& text, const std::string& name = "s.tps") {
    const std::string path = dir.path() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return Target::FileArg(path);
  }
  std::string ReportPath() const { return dir.path() + "/report.xml"; }
  // Starts the program on `text` with a report; true once its port is open.
  bool Play(const std::string& text) {
    script = Scenario(text);
    line = std::make_unique<Target>(
        std::vector<std::string>{"--script=" + script, "--report=" + Target::FileArg(ReportPath())});
    return line->tapix.WaitFor(") succeeded\n", 0, milliseconds(15000)) != std::string::npos;
  }
  int Exit() { return line->tapix.Wait(milliseconds(20000)); }
  std::string Report() const { return ReadFile(ReportPath()); }
  // The peer's bytes, then what the program answered within its time.
  std::string Exchange(const std::string& bytes, std::size_t answer) {
    line->pty.Send(bytes);
    return line->pty.Receive(answer);
  }

  TempDir dir;
  std::string script;
  std::unique_ptr<Target> line;
};

template <class Target>
class Scenarios : public ScenarioFixture<Target> {};

TYPED_TEST_SUITE_P(Scenarios);

// Tapix as the dispenser: a fault for one message, the record queue in
// order, then zeros; every expectation met.
TYPED_TEST_P(Scenarios, AsDispenserPassesWithOneCasePerExpect) {
  ASSERT_TRUE(this->Play(
      "# the cash register logs on and fetches records\n"
      "answer next F\n"
      "expect W0050 within 10000\n"
      "expect W0050\n"
      "records 12 345 7  13 100 8\n"
      "expect E\nexpect R\nexpect E\nexpect R\nexpect E\nexpect R\n"
      "mark fertig\n"))
      << this->line->tapix.Log();
  EXPECT_EQ(this->Exchange("W0050", 1), "F");
  EXPECT_EQ(this->Exchange("W0050", 1), "R");
  EXPECT_EQ(this->Exchange("E", 9), "120345007");
  this->line->pty.Send("R");
  EXPECT_EQ(this->Exchange("E", 9), "130100008");
  this->line->pty.Send("R");
  EXPECT_EQ(this->Exchange("E", 9), "000000000");
  this->line->pty.Send("R");
  EXPECT_EQ(this->Exit(), 0) << this->line->tapix.Log();
  const std::string log = this->line->tapix.Log();
  EXPECT_NE(log.find("Marke: fertig\n" + this->script + ": 8 von 8 Erwartungen erf\xFCllt\n"),
            std::string::npos)
      << log;
  const std::string report = this->Report();
  EXPECT_EQ(Occurrences(report, "<testcase "), 8u) << report;
  EXPECT_NE(report.find("tests=\"8\" failures=\"0\" errors=\"0\" skipped=\"0\""),
            std::string::npos)
      << report;
}

// Tapix as the cash register: requests go out before the next statement,
// the record it gets is acknowledged by the boxes.
TYPED_TEST_P(Scenarios, AsCashRegisterPasses) {
  ASSERT_TRUE(this->Play("A 5\nexpect R\nE\nexpect 120345007\nK 0 9999\nexpect F\n"))
      << this->line->tapix.Log();
  EXPECT_EQ(this->line->pty.Receive(4), "A005");
  EXPECT_EQ(this->Exchange("R", 1), "E");
  EXPECT_EQ(this->Exchange("120345007", 6), "RK1743");
  this->line->pty.Send("F");
  EXPECT_EQ(this->Exit(), 0) << this->line->tapix.Log();
  const std::string report = this->Report();
  EXPECT_EQ(Occurrences(report, "<testcase "), 3u) << report;
  EXPECT_EQ(Occurrences(report, "<failure"), 0u) << report;
}

// The first expectation not met ends the run: one line with file, line,
// what was expected and what came, exit code 3, the failure in the report.
TYPED_TEST_P(Scenarios, AFailedExpectationEndsTheRunWithItsLine) {
  ASSERT_TRUE(this->Play("A 5\nexpect R within 10000\nexpect A005\n")) << this->line->tapix.Log();
  EXPECT_EQ(this->line->pty.Receive(4), "A005");
  this->line->pty.Send("F");
  EXPECT_EQ(this->Exit(), 3) << this->line->tapix.Log();
  const std::string log = this->line->tapix.Log();
  const std::string line = this->script + ":2: erwartet \"R\", gekommen \"F\" nach ";
  const std::size_t at = log.find(line);
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_EQ(log.find(" ms\n", at), log.find('\n', at) - 3) << log;
  EXPECT_EQ(Occurrences(log, this->script + ":"), 1u) << log;
  const std::string report = this->Report();
  EXPECT_NE(report.find("failures=\"1\" errors=\"0\" skipped=\"1\""), std::string::npos) << report;
  EXPECT_NE(report.find("<failure message=\"erwartet &quot;R&quot;, gekommen &quot;F&quot; nach "),
            std::string::npos)
      << report;
}

// A scenario that cannot be read ends the start with its line and column;
// nothing goes out on the line.
TYPED_TEST_P(Scenarios, AScriptErrorEndsTheStartWithLineAndColumn) {
  const std::string script = this->Scenario("A 5\n  expect R within soon\n");
  TypeParam line({"--script=" + script});
  EXPECT_EQ(line.tapix.Wait(milliseconds(20000)), 2) << line.tapix.Log();
  EXPECT_NE(line.tapix.Log().find("tapix: " + script +
                                  ":2:19: Millisekunden von 0 bis 86400000 erwartet\n"),
            std::string::npos)
      << line.tapix.Log();
  EXPECT_EQ(line.tapix.Log().find("CreateFile"), std::string::npos);
  EXPECT_EQ(line.pty.Drain(milliseconds(200)), "");
}

// Each kind of "answer next", seen byte for byte on the line, for one
// message only: the next one gets what the boxes say.
TYPED_TEST_P(Scenarios, EachFaultAnswersOneMessageOnly) {
  ASSERT_TRUE(this->Play(
      "Checksum on\n"
      "AnswerOk off\nanswer next R\nexpect A005 within 10000\nexpect A005\n"
      "AnswerOk on\nanswer next F\nexpect A005\nexpect A005\n"
      "answer next none\nexpect A005\nexpect A005\n"
      "records 12 345 7  12 345 7  12 345 7\n"
      // A fault goes before the "expect R" that precedes its message: the
      // peer sends its next message right behind its "R".
      "answer next bad-check\nexpect E\nexpect E\n"
      "answer next short\nexpect R\nexpect E\nexpect E\n"
      "answer next delay 300\nexpect R\nexpect A005\nexpect A005\n"))
      << this->line->tapix.Log();
  auto& pty = this->line->pty;
  EXPECT_EQ(this->Exchange("A005t", 1), "R");  // R although AnswerOk is off
  EXPECT_EQ(this->Exchange("A005t", 1), "F");
  EXPECT_EQ(this->Exchange("A005t", 1), "F");  // F although AnswerOk is on
  EXPECT_EQ(this->Exchange("A005t", 1), "R");
  pty.Send("A005t");
  EXPECT_EQ(pty.Drain(milliseconds(300)), "");  // none
  EXPECT_EQ(this->Exchange("A005t", 1), "R");
  EXPECT_EQ(this->Exchange("E", 10), "1203450077");  // '6' would be right
  EXPECT_EQ(this->Exchange("E", 10), "1203450076");
  pty.Send("R");
  EXPECT_EQ(this->Exchange("E", 9), "120345007");  // its check character left off
  EXPECT_EQ(pty.Drain(milliseconds(200)), "");
  EXPECT_EQ(this->Exchange("E", 10), "0000000000");
  pty.Send("R");
  pty.Send("A005t");
  EXPECT_EQ(pty.Drain(milliseconds(100)), "");  // it cannot come before its 300 ms
  EXPECT_EQ(pty.Receive(1, milliseconds(5000)), "R");
  EXPECT_EQ(this->Exchange("A005t", 1), "R");
  EXPECT_EQ(this->Exit(), 0) << this->line->tapix.Log();
}

// The examples a user copies run against a second Tapix that plays the
// other side with a scenario of its own (tests/e2e/scenarios/).
TYPED_TEST_P(Scenarios, ExamplesRunAgainstASecondTapix) {
  const std::string source = TAPIX_SOURCE_DIR;
  for (const auto& [example, peer] :
       {std::pair{"cash-register-under-test", "cash-register"}, {"dispenser-under-test", "dispenser"}}) {
    TempDir config;
    PtyPair peer_line;
    TapixProcess second({"--script=" + source + "/tests/e2e/scenarios/" + peer + ".peer.tps",
                         peer_line.path() + ",9600,N,8,1"},
                        config.path());
    ASSERT_NE(second.WaitFor(") succeeded\n"), std::string::npos) << second.Log();
    TypeParam line({"--script=" + TypeParam::FileArg(source + "/examples/" + example + ".tps")});
    ASSERT_NE(line.tapix.WaitFor(") succeeded\n", 0, milliseconds(15000)), std::string::npos)
        << line.tapix.Log();
    const Relay relay(peer_line.fd(), line.pty.fd());
    EXPECT_EQ(line.tapix.Wait(milliseconds(30000)), 0) << example << "\n" << line.tapix.Log();
    EXPECT_EQ(second.Wait(milliseconds(30000)), 0) << peer << "\n" << second.Log();
  }
}

// The fault tour against the test as the cash register, with check
// characters: each fault as the line carries it.
TYPED_TEST_P(Scenarios, FaultTourExample) {
  const std::string source = TAPIX_SOURCE_DIR;
  TypeParam line({"--script=" + TypeParam::FileArg(source + "/examples/fault-tour.tps")});
  ASSERT_NE(line.tapix.WaitFor(") succeeded\n", 0, milliseconds(15000)), std::string::npos)
      << line.tapix.Log();
  auto& pty = line.pty;
  const auto exchange = [&pty](const std::string& bytes, std::size_t answer) {
    pty.Send(bytes);
    return pty.Receive(answer);
  };
  EXPECT_EQ(exchange("E", 10), "1203450077");  // a wrong check character
  EXPECT_EQ(exchange("E", 10), "1203450076");
  pty.Send("R");
  EXPECT_EQ(exchange("E", 9), "000000000");  // one short: a time-out for the cash register
  EXPECT_EQ(pty.Drain(milliseconds(200)), "");
  EXPECT_EQ(exchange("E", 10), "0000000000");
  pty.Send("R");
  pty.Send("A012r");
  EXPECT_EQ(pty.Drain(milliseconds(100)), "");  // late
  EXPECT_EQ(pty.Receive(1, milliseconds(5000)), "R");
  pty.Send("A012r");
  EXPECT_EQ(pty.Drain(milliseconds(300)), "");  // never
  EXPECT_EQ(exchange("A012r", 1), "R");
  EXPECT_EQ(line.tapix.Wait(milliseconds(20000)), 0) << line.tapix.Log();
}

REGISTER_TYPED_TEST_SUITE_P(Scenarios, AsDispenserPassesWithOneCasePerExpect, AsCashRegisterPasses,
                            AFailedExpectationEndsTheRunWithItsLine,
                            AScriptErrorEndsTheStartWithLineAndColumn,
                            EachFaultAnswersOneMessageOnly, ExamplesRunAgainstASecondTapix,
                            FaultTourExample);

}  // namespace tapix::e2e
