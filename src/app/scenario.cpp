#include "app/scenario.h"

#include <algorithm>

#include "app/byte_text.h"
#include "app/console_commands.h"
#include "app/control_ids.h"
#include "app/exit_codes.h"
#include "app/loop.h"
#include "app/session.h"
#include "app/transmit.h"
#include "app/window_commands.h"

namespace tapix {
namespace {

using Clock = std::chrono::steady_clock;

// "At once": a moment that has always passed.
constexpr Clock::time_point kAtOnce{};

bool Matches(const Frame& frame, const std::string& expected) {
  if (!frame.message || !frame.complete || frame.check == CheckResult::Bad) return false;
  std::string_view body = frame.text;
  if (frame.check == CheckResult::Good) body.remove_suffix(1);
  return body == expected;
}

std::string Quoted(std::string_view bytes) {
  // Appended, not "\"" + …: g++ 12 warns of a false overlap there (-Wrestrict).
  std::string text(1, '"');
  text += Readable(bytes);
  text += '"';
  return text;
}

std::string Ms(Clock::duration d) {
  return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()) + " ms";
}

std::chrono::milliseconds Waited(Clock::time_point from, Clock::time_point to) {
  return std::max(std::chrono::milliseconds(0),
                  std::chrono::duration_cast<std::chrono::milliseconds>(to - from));
}

// A request a command statement queued that waits for the message being
// read to end: the next statement waits with it, so that it cannot overtake
// it (a "send", the scenario's end).
bool RequestHeld(const Session& session) {
  return session.port && session.pending.SendPending && session.receiver.Reading();
}

}  // namespace

std::string DescribeArrival(const Frame& frame) {
  std::string text = Quoted(frame.text);
  if (!frame.message) return text + " beginnt keine Nachricht";
  if (!frame.complete) return text + " unvollst\xE4ndig (timeout)";
  if (frame.check == CheckResult::Bad) {
    return text + " mit falscher Pr\xFC" "fsumme (richtig: " +
           Quoted(std::string_view(&frame.expected, 1)) + ")";
  }
  return text;
}

Scenario::Scenario(Script script, Now now) : script_(std::move(script)), now_(std::move(now)) {
  for (const Statement& statement : script_.statements) {
    if (statement.type == StatementType::Expect || statement.type == StatementType::ExpectNothing)
      results_.push_back({&statement, ExpectResult::Outcome::NotReached, {}, {}});
  }
}

ExpectResult& Scenario::ResultOf(const Statement& statement) {
  return *std::find_if(results_.begin(), results_.end(),
                       [&statement](const ExpectResult& r) { return r.statement == &statement; });
}

void Scenario::OnTraffic(const TrafficEvent& event) {
  if (event.direction != Direction::FromPeer) return;
  Frame frame;
  if (event.kind == TrafficKind::Received) {
    frame = event.frame;
  } else if (event.kind == TrafficKind::Unexpected) {
    frame.text = event.bytes;  // no message: bytes that start none
  } else {
    return;
  }
  arrivals_.push_back({std::move(frame), now_()});
  if (waiting_ && waiting_->type == StatementType::ExpectNothing) byte_came_ = true;
}

std::optional<Clock::time_point> Scenario::Deadline(const Session& session) const {
  if (over_) return std::nullopt;
  // A held request goes out when the receiver ends or cuts its message.
  if (!waiting_) return RequestHeld(session) ? std::nullopt : std::optional(kAtOnce);
  if (waiting_->type == StatementType::Expect && !arrivals_.empty()) return kAtOnce;
  if (waiting_->type == StatementType::ExpectNothing) {
    if (byte_came_) return kAtOnce;
    // Its first byte came in time: the message's end decides, not the clock.
    if (session.receiver.Reading() && now_() >= until_) return std::nullopt;
  }
  return until_;
}

void Scenario::Fail(ExpectResult& result, std::string text) {
  result.outcome = ExpectResult::Outcome::Failed;
  result.failure = std::move(text);
  failed_ = true;
  failure_line_ =
      script_.name + ":" + std::to_string(result.statement->line) + ": " + result.failure + "\n";
}

bool Scenario::Start(Session& session) {
  const Statement& statement = script_.statements[next_++];
  switch (statement.type) {
    case StatementType::Command:
      // As on standard input: the command, then the request it queued, so
      // the next statement finds it on the line. "quit" ends the scenario
      // where it stands, as its end would.
      if (statement.command.type == CommandType::Quit) {
        next_ = script_.statements.size();
        return true;
      }
      RunCommand(session, statement.command);
      SendPending(session);
      return true;
    case StatementType::Send:
      Publish(session, WriteToLine(session.port.get(), statement.bytes, WriteKind::Bytes));
      return true;
    case StatementType::Expect:
    case StatementType::ExpectNothing:
    case StatementType::Wait:
      waiting_ = &statement;
      started_ = now_();
      until_ = started_ + statement.time;
      byte_came_ = false;
      return false;
  }
  return true;
}

bool Scenario::Settle(Clock::time_point now, bool reading) {
  const Statement& statement = *waiting_;
  if (statement.type == StatementType::Wait) return now >= until_;
  ExpectResult& result = ResultOf(statement);
  if (statement.type == StatementType::ExpectNothing) {
    if (byte_came_) {
      const Arrival& came = arrivals_.back();
      result.waited = Waited(started_, came.at);
      Fail(result, "erwartet nichts innerhalb " + Ms(statement.time) + ", gekommen " +
                       DescribeArrival(came.frame) + " nach " + Ms(result.waited));
      return true;
    }
    // A message begun within the time is a byte that came: its event, at its
    // end or cut, fails the expectation.
    if (now < until_ || reading) return false;
    result.outcome = ExpectResult::Outcome::Met;
    result.waited = statement.time;
    return true;
  }
  if (arrivals_.empty()) {
    if (now < until_) return false;
    result.waited = Waited(started_, now);
    Fail(result, "erwartet " + Quoted(statement.bytes) + " innerhalb " + Ms(statement.time) +
                     ", gekommen nichts");
    return true;
  }
  const Arrival came = std::move(arrivals_.front());
  arrivals_.pop_front();
  result.waited = Waited(started_, came.at);
  if (Matches(came.frame, statement.bytes)) {
    result.outcome = ExpectResult::Outcome::Met;
  } else {
    Fail(result, "erwartet " + Quoted(statement.bytes) + ", gekommen " +
                     DescribeArrival(came.frame) + " nach " + Ms(result.waited));
  }
  return true;
}

void Scenario::Step(Session& session) {
  while (!over_ && !session.quit_requested) {
    if (waiting_) {
      if (!Settle(now_(), session.receiver.Reading())) return;
      waiting_ = nullptr;
      if (failed_) break;
      continue;
    }
    if (RequestHeld(session)) return;
    if (next_ == script_.statements.size()) break;
    Start(session);
  }
  Finish(session);
}

void Scenario::Finish(Session& session) {
  if (over_) return;
  over_ = true;
  if (failed_) {
    session.console->Log(failure_line_);
    session.exit_code = kExitExpectationFailed;
  } else if (next_ < script_.statements.size() || waiting_) {
    // Ended from outside (a stop request, the port gone) before its end: not
    // a scenario that passed.
    const Statement& at = waiting_ ? *waiting_ : script_.statements[next_];
    const std::string text = "nicht zu Ende gelaufen: vorher beendet";
    if (waiting_ && waiting_->type != StatementType::Wait) {
      Fail(ResultOf(at), text);
    } else {
      failed_ = true;
      failure_line_ = script_.name + ":" + std::to_string(at.line) + ": " + text + "\n";
    }
    session.console->Log(failure_line_);
    if (session.exit_code == kExitNormal) session.exit_code = kExitExpectationFailed;
  } else {
    std::size_t met = 0;
    for (const ExpectResult& result : results_) met += result.outcome == ExpectResult::Outcome::Met;
    session.console->Log(script_.name + ": " + std::to_string(met) + " von " +
                         std::to_string(results_.size()) + " Erwartungen erf\xFCllt\n");
  }
  if (!session.quit_requested) OnCommand(session, ctl::Exit);
}

}  // namespace tapix
