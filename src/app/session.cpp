#include "app/session.h"

#include <optional>


namespace tapix {

void ResetOptions(Session& session) {
  session.options = OptionFlags();
  session.pending.SendPending = 0;
}

void Publish(Session& session, const TrafficEvent& event) {
  TrafficEvent timed = event;
  session.answer_times.Take(timed, session.options);
  if (session.console) LogTraffic(*session.console, timed, session.log_style, session.options);
  for (TrafficObserver* observer : session.observers) observer->OnTraffic(timed);
}

void Publish(Session& session, TrafficBatch& batch) {
  if (batch.Empty()) return;
  // The lines of one read reach each output with one write.
  std::optional<LogBatch> lines;
  if (session.console) lines.emplace(*session.console);
  for (const TrafficEvent& event : batch.Events()) Publish(session, event);
  batch.Clear();
}

}  // namespace tapix
