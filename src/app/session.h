// The process-wide state of one run, set up by start-up and kept until the end.
// There is one thread and no lock: front ends change it only between two
// passes of the polling loop.
#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "log/console.h"
#include "protocol/options.h"
#include "app/answer_times.h"
#include "app/answer_faults.h"
#include "app/answers.h"
#include "app/panel.h"
#include "app/port_choices.h"
#include "app/receiver.h"
#include "app/traffic.h"
#include "app/reopen.h"
#include "app/traffic_log.h"
#include "serial/port_settings.h"
#include "serial/serial_device.h"

namespace tapix {

class LogHistory;
class Statistics;
class OptionsWatch;
class Scenario;
class Tap;

struct Session {
  PortSettings settings{};
  std::unique_ptr<SerialDevice> port;  // PortHandle: null while no port is open
  OptionFlags options{};
  PendingRequest pending{};
  Panel* window = nullptr;    // MainWindowHandle: null while no window exists
  Console* console = nullptr;
  // The last lines of the log, for a window that shows them; null when none
  // are kept.
  LogHistory* log_history = nullptr;
  bool quit_requested = false;
  // The exit code once the loop has ended (kExitNormal unless a front end
  // ends the run for want of a port).
  int exit_code = 0;
  // The settings the last open (or configuration of the open port) accepted,
  // or those loaded at start: what the end of the run saves, so that a
  // setting no device took is not kept.
  PortSettings accepted{};
  PortChoices port_choices;  // the combo box of the window shown now
  // The port's receiver: the message being read, across the loop's events.
  Receiver receiver;
  // Who sees the traffic besides the console's log lines, in this order.
  std::vector<TrafficObserver*> observers;
  // What --explain and --hex add to the traffic's log lines.
  TrafficLogStyle log_style;
  // Which message answers which request, for every event published.
  AnswerTimes answer_times;
  // The counts of the traffic for the summary (the "stats" command); null
  // when none are kept.
  Statistics* statistics = nullptr;
  // How the next messages are answered besides the boxes ("answer next"),
  // the records for the next queries ("records"), and the answers that wait
  // for their moment, in the order they fall due.
  AnswerFaults faults;
  RecordQueue records;
  std::vector<DelayedAnswer> delayed_answers;
  // The scenario this run plays (--script), null without one.
  Scenario* scenario = nullptr;
  // The line tap when this run sits between two devices (the port above
  // then stays closed), with the port numbers of its register and dispenser
  // sides.
  Tap* tap = nullptr;
  std::uint32_t tap_ports[2] = {};
  // Which options the traffic fits (the hint, or --detect): one of the
  // observers, with deadlines of its own; null when none watches.
  OptionsWatch* options_watch = nullptr;

  // Lines that heal (app/reopen.h): the next try of the port that hung up
  // (when Autoconnect is 1), and of each side of the tap that did (always).
  ReopenSchedule port_return;
  ReopenSchedule tap_returns[2];

  // The front end's port configuration dialog: shows the settings for the
  // named device and returns true with a complete DCB when the operator
  // confirms, false (DCB untouched) on cancel. Empty: no dialog available.
  std::function<bool(std::string_view device, DCB& dcb)> configure_dialog;
};

// Start values of the option flags and of SendPending.
void ResetOptions(Session& session);

// An event of the traffic: its answer time (app/answer_times.h), its lines
// on the console (app/traffic_log.h), then every observer.
void Publish(Session& session, const TrafficEvent& event);
// The events of a batch in their order; the batch is emptied.
void Publish(Session& session, TrafficBatch& batch);

}  // namespace tapix
