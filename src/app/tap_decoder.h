// Reading one direction of a line that Tapix only listens to: the bytes come
// with their arrival times, and each message is logged with its direction as
// the receiver would log it — lengths by the first character under the option
// flags, the check character verified, a message cut by a pause logged as a
// time-out (the framer, protocol/framer.h). Nothing is answered.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "log/console.h"
#include "protocol/framer.h"
#include "protocol/options.h"

namespace tapix {

// The direction markers that lead the lines of each side.
inline constexpr const char* kFromRegister = "Kasse > ISB: ";
inline constexpr const char* kFromDispenser = "ISB > Kasse: ";

class TapDecoder {
 public:
  // `options` is read when a message's first character arrives, as the
  // receiver reads it; `timeouts` are the port's read time-outs.
  TapDecoder(Console& console, const OptionFlags& options, std::string marker,
             ReadTimeouts timeouts = {});

  // One byte from the line. A byte after the deadline of the message being
  // read ends that message as cut first.
  void Feed(unsigned char byte, const ByteTime& when);

  // Ends the message being read as cut when its deadline has passed by `now`.
  void Expire(std::chrono::steady_clock::time_point now);

  // When the message being read is cut unless another byte comes; none when
  // no message is open.
  std::optional<std::chrono::steady_clock::time_point> Deadline() const {
    return framer_.Deadline();
  }

 private:
  // Logs a frame behind the marker, stamped with its first byte's time.
  void Log(const std::optional<Frame>& frame);

  Console& console_;
  const OptionFlags& options_;
  std::string marker_;
  Framer framer_;
};

}  // namespace tapix
