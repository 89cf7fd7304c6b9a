// Reading one direction of a line that Tapix only listens to: the bytes come
// with their arrival times, and each message is logged with its direction as
// the receiver would log it — lengths by the first character under the option
// flags, the check character verified, a message cut by a pause logged as a
// time-out. Nothing is answered.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "log/console.h"
#include "protocol/options.h"

namespace tapix {

// When a byte came: the steady clock for pauses, the wall clock for the log.
struct ByteTime {
  std::chrono::steady_clock::time_point steady;
  LogClock::time_point wall;
  static ByteTime Now() { return {std::chrono::steady_clock::now(), LogClock::now()}; }
};

// The direction markers that lead the lines of each side.
inline constexpr const char* kFromRegister = "Kasse > ISB: ";
inline constexpr const char* kFromDispenser = "ISB > Kasse: ";

class TapDecoder {
 public:
  // `options` is read when a message's first character arrives, as the
  // receiver reads it; `interval` is the longest pause inside a message and
  // `per_char` the read's total time-out per character after the first.
  TapDecoder(Console& console, const OptionFlags& options, std::string marker,
             std::chrono::milliseconds interval = std::chrono::milliseconds(100),
             std::chrono::milliseconds per_char = std::chrono::milliseconds(100));

  // One byte from the line. A byte after the deadline of the message being
  // read ends that message as cut first.
  void Feed(unsigned char byte, const ByteTime& when);

  // Ends the message being read as cut when its deadline has passed by `now`.
  void Expire(std::chrono::steady_clock::time_point now);

  // When the message being read is cut unless another byte comes; none when
  // no message is open.
  std::optional<std::chrono::steady_clock::time_point> Deadline() const;

 private:
  void Log(const std::string& line, LogClock::time_point when);
  void Finish(bool complete);

  Console& console_;
  const OptionFlags& options_;
  std::string marker_;
  std::chrono::milliseconds interval_;
  std::chrono::milliseconds per_char_;

  // The message being read: its bytes so far, how many it takes in all, the
  // option it was started under, when it began and its last byte came.
  std::string text_;
  std::size_t wanted_ = 0;
  bool checksum_ = false;
  LogClock::time_point first_wall_{};
  std::chrono::steady_clock::time_point total_deadline_{};
  std::chrono::steady_clock::time_point last_byte_{};
};

}  // namespace tapix
