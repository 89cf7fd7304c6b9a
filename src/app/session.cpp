#include "app/session.h"

#include <optional>

#include "app/traffic_log.h"

namespace tapix {

void ResetOptions(Session& session) {
  session.options = OptionFlags();
  session.pending.SendPending = 0;
}

void Publish(Session& session, const TrafficEvent& event) {
  if (session.console) LogTraffic(*session.console, event);
  for (TrafficObserver* observer : session.observers) observer->OnTraffic(event);
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
