// Reading one direction of a line that Tapix only listens to: the bytes come
// with their arrival times, and each message becomes an event as the
// receiver's would — lengths by the first character under the option flags,
// the check character verified, a message cut by a pause reported as a
// time-out (the framer, protocol/framer.h). Nothing is answered.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "app/traffic.h"
#include "protocol/framer.h"
#include "protocol/options.h"

namespace tapix {

class TapDecoder {
 public:
  // `options` is read when a message's first character arrives, as the
  // receiver reads it; `direction` is the side's (FromRegister or
  // FromDispenser); `timeouts` are the port's read time-outs.
  TapDecoder(const OptionFlags& options, Direction direction, ReadTimeouts timeouts = {});

  // Bytes from the line that came at `when`, their events added to `out`. A
  // byte after the deadline of the message being read ends that message as
  // cut first.
  void Feed(std::string_view bytes, const ByteTime& when, TrafficBatch& out);

  // Ends the message being read as cut when its deadline has passed by `now`.
  void Expire(std::chrono::steady_clock::time_point now, TrafficBatch& out);

  // When the message being read is cut unless another byte comes; none when
  // no message is open.
  std::optional<std::chrono::steady_clock::time_point> Deadline() const {
    return framer_.Deadline();
  }

 private:
  const OptionFlags& options_;
  Direction direction_;
  Framer framer_;
};

}  // namespace tapix
