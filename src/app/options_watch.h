// Which options the traffic fits, while a run reads it.
//
// Every byte the peers send (the port's, or both sides of the tap) goes into
// a window of recent bytes per direction, at the time it came. Two uses:
//   - the hint: while messages fail their check characters, time out or
//     bytes start no message, the windows are replayed under the eight
//     combinations of Checksum, Waiter3 and CreditQuantity (at most once a
//     second); when one combination explains the traffic, one line names it,
//     once per combination. The options are never changed here: the operator
//     decides.
//   - the diagnosis (--detect): the windows are surveyed once a second while
//     bytes come; the run ends when a combination explains enough messages
//     or the time is up, with the evidence of each combination and exit code
//     0 when one explains the traffic, 1 when none does.
//
// The bytes come as they were read, with the time of their read (the
// receiver's framer sees the same); the events of the traffic say when a
// fault came.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string_view>

#include "app/traffic.h"
#include "protocol/options_replay.h"

namespace tapix {

struct Session;

// The recent bytes the hint replays, per direction: some eighty messages.
inline constexpr std::size_t kHintWindow = 1024;
// The diagnosis keeps more, so that its evidence covers what it heard: half
// a minute of a busy line at 9600 baud.
inline constexpr std::size_t kDetectWindow = 32 * 1024;
// Messages with fields a combination must explain: for a hint, and for the
// diagnosis to end before its time is up.
inline constexpr std::size_t kHintMessages = 3;
inline constexpr std::size_t kDetectMessages = 20;
// The least time between two surveys, and how long the first one waits after
// the first fault, so that a few messages have come.
inline constexpr std::chrono::milliseconds kSurveyGap{1000};
inline constexpr std::chrono::milliseconds kSurveySettle{300};

class OptionsWatch final : public TrafficObserver {
 public:
  using Time = std::chrono::steady_clock::time_point;

  // The hint, for as long as the run lasts.
  static OptionsWatch Hint(Session& session);
  // The diagnosis, from `start` for `listen`.
  static OptionsWatch Detect(Session& session, Time start, std::chrono::seconds listen);

  // Bytes a peer sent, read at `when` (the port's receiver and the tap hand
  // over every read).
  void Heard(Direction direction, std::string_view bytes, const ByteTime& when);
  // The faults: a check character that failed, a time-out, bytes that start
  // no message.
  void OnTraffic(const TrafficEvent& event) override;
  // When a survey (or the end of the diagnosis) is due; none while nothing is.
  std::optional<Time> Deadline() const;
  // Does what is due by `now`.
  void OnTimeout(Time now);
  // The diagnosis ends now if it has not (the run was stopped): its report,
  // the exit code and the end of the run.
  void Finish(Time now);
  bool Finished() const { return finished_; }

  // What every combination made of the windows at `now`.
  tapix::Survey Look(Time now) const;

 private:
  enum class Mode { Hint, Detect };
  OptionsWatch(Session& session, Mode mode, std::size_t window, Time start,
               std::chrono::seconds listen);

  ByteWindow* WindowOf(Direction direction);
  void TakeSurvey(Time now);
  // The end of the diagnosis: the report, the exit code, the end of the run.
  void Conclude(const tapix::Survey& survey, const Verdict& verdict, Time now);
  void Report(const tapix::Survey& survey, const Verdict& verdict, Time now);

  Session& session_;
  Mode mode_;
  // FromPeer, FromRegister, FromDispenser.
  std::array<ByteWindow, 3> windows_;
  Time start_;
  Time end_;                       // the diagnosis: when its time is up
  std::optional<Time> last_;       // the last survey
  bool watching_ = false;          // the hint: a fault came, and no survey told since
  Time fault_{};                   // the hint: when the first fault of those came
  bool fresh_ = false;             // bytes came since the last survey
  std::size_t hinted_ = 0;         // bit per combination named in a hint
  bool finished_ = false;
};

}  // namespace tapix
