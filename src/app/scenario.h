// A scenario run (--script=FILE): the statements in order, each taking
// effect before the next, driven by the event loop's deadlines.
//
// The received messages wait in the order they arrived until an "expect"
// takes them: one that came while an earlier statement ran is matched by
// the next "expect", never lost or skipped. The first expectation that is
// not met ends the run with one line (file, line, what was expected, what
// came instead with its bytes readable, the time waited) and exit code 3;
// the end of the statements ends it with 0.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/framer.h"
#include "app/script_reader.h"
#include "app/traffic.h"

namespace tapix {

struct Session;

// The outcome of one "expect" (for the report): met, not met, or never
// reached because the run ended before it.
struct ExpectResult {
  const Statement* statement = nullptr;
  enum class Outcome : std::uint8_t { Met, Failed, NotReached } outcome = Outcome::NotReached;
  std::chrono::milliseconds waited{0};
  std::string failure;  // the failure line's text after "FILE:LINE: " (code page 1252)
};

// It sees the traffic as one of the session's observers: what the port
// received (a message, or bytes that start none) is what an "expect" takes.
class Scenario : public TrafficObserver {
 public:
  // The clock the statements' times are taken on; the event loop's by
  // default, a fixed one in tests that must not depend on how fast the
  // machine runs.
  using Now = std::function<std::chrono::steady_clock::time_point()>;
  explicit Scenario(Script script, Now now = std::chrono::steady_clock::now);

  // Runs the statements from the current one on until one waits (an
  // "expect" without a message, a "wait") or the run is over. Call it when
  // the deadline has come.
  void Step(Session& session);

  // Keeps what the port received, in the order it came, for the next
  // "expect"; the rest of the traffic passes.
  void OnTraffic(const TrafficEvent& event) override;

  // When Step has work: at once while a statement is due or a message waits
  // for the running "expect", the end of its time otherwise; none once over,
  // none while a request waits for the message being read to end, and none
  // while "expect nothing" has run out with a message still being read (its
  // end, or its cut at the receiver's deadline, fails it).
  std::optional<std::chrono::steady_clock::time_point> Deadline(const Session& session) const;

  // Ends the run where it stands: the failure line, or the line of the
  // expectations met; a run stopped before its end (a stop request, the
  // port gone) has not passed. Ends the loop.
  void Finish(Session& session);

  bool Over() const { return over_; }
  bool Failed() const { return failed_; }
  // The failure line ("FILE:LINE: …\n"); empty while none failed.
  const std::string& FailureLine() const { return failure_line_; }
  // One result per "expect" statement, in the order of the file.
  const std::vector<ExpectResult>& Results() const { return results_; }
  const Script& Source() const { return script_; }

 private:
  struct Arrival {
    Frame frame;
    std::chrono::steady_clock::time_point at;
  };

  // Starts the statement at `next_`; true when it is done at once.
  bool Start(Session& session);
  // Looks at the running wait: true when it is over (met or failed).
  // `reading`: a message has begun on the line and not yet ended.
  bool Settle(std::chrono::steady_clock::time_point now, bool reading);
  void Fail(ExpectResult& result, std::string text);
  ExpectResult& ResultOf(const Statement& statement);

  Script script_;
  Now now_;
  std::vector<ExpectResult> results_;
  std::size_t next_ = 0;  // the statement to start
  const Statement* waiting_ = nullptr;  // the running expect or wait
  std::chrono::steady_clock::time_point started_{};
  std::chrono::steady_clock::time_point until_{};
  std::deque<Arrival> arrivals_;  // received, not yet expected
  bool byte_came_ = false;         // a byte came while "expect nothing" waited
  bool over_ = false;
  bool failed_ = false;
  std::string failure_line_;
};

// The text of what came, for a failure line: "A006t", "A005u" mit falscher
// Prüfsumme (richtig: t), "A00" unvollständig, "\x0D" beginnt keine
// Nachricht.
std::string DescribeArrival(const Frame& frame);

}  // namespace tapix
