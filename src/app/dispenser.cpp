#include "app/dispenser.h"

#include <algorithm>

#include "app/answers.h"
#include "app/window_values.h"

namespace tapix {

FieldValues NextRecord(Session& session) {
  if (session.options.SendRecord && session.window) return TakeRecordFields(session);
  if (std::optional<FieldValues> queued = session.records.Take()) return *queued;
  return {};
}

void AnswerMessage(Session& session, const Frame& frame, TrafficBatch& events) {
  if (!frame.message || frame.message->reply == Reply::None) return;
  const std::optional<AnswerFault> fault = session.faults.Take();
  if (!fault && !session.options.AutoAnswer) return;
  const auto is = [&fault](FaultType type) { return fault && fault->type == type; };
  if (is(FaultType::None)) return;

  // R and F answer as the box "Antwort: R/F" would; for "E" they are the
  // single character instead of the record.
  OptionFlags options = session.options;
  if (is(FaultType::R)) options.AnswerOk = 1;
  if (is(FaultType::F)) options.AnswerOk = 0;
  std::vector<AnswerWrite> writes;
  if (frame.message->reply != Reply::Record) {
    writes = Acknowledgement(*frame.message, frame.text, options);
  } else if (is(FaultType::R) || is(FaultType::F)) {
    writes.push_back({std::string(1, is(FaultType::R) ? 'R' : 'F'), false});
  } else {
    const FieldValues record = NextRecord(session);
    writes.push_back(
        RecordAnswer(record, options, CheckBoxTicked(session), is(FaultType::BadCheck)));
  }
  if (is(FaultType::Short)) LeaveOffLast(writes);

  if (is(FaultType::Delay)) {
    DelayedAnswer later{std::chrono::steady_clock::now() + fault->delay, std::move(writes)};
    // Kept in the order they fall due; equal moments in the order given.
    const auto at = std::upper_bound(
        session.delayed_answers.begin(), session.delayed_answers.end(), later.due,
        [](auto due, const DelayedAnswer& waiting) { return due < waiting.due; });
    session.delayed_answers.insert(at, std::move(later));
    return;
  }
  WriteAnswer(writes, {session.port.get(), events, true});
}

std::optional<std::chrono::steady_clock::time_point> DelayedAnswerDue(const Session& session) {
  if (session.delayed_answers.empty()) return std::nullopt;
  return session.delayed_answers.front().due;
}

void SendDueAnswers(Session& session, std::chrono::steady_clock::time_point now) {
  while (!session.delayed_answers.empty() && session.delayed_answers.front().due <= now) {
    const DelayedAnswer due = std::move(session.delayed_answers.front());
    session.delayed_answers.erase(session.delayed_answers.begin());
    TrafficBatch events;
    WriteAnswer(due.writes, {session.port.get(), events});
    Publish(session, events);
  }
}

}  // namespace tapix
