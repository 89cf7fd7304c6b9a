// Cutting the received byte stream into messages.
//
// Nothing on the line marks where a message ends: each byte that arrives
// while no message is open is a first character, and the message table says
// how many characters follow it under the options in force at that moment.
// A message that stops short is cut once the line has been quiet too long,
// by the rule of the port's read time-outs (the comm API's interval and total
// time-outs):
//   - the interval (100 ms) counts only once a byte after the first has come:
//     the pause after the last one may not exceed it;
//   - the total (100 ms per character after the first, plus a constant) runs
//     from the first byte.
// The framer reports what it found as values; FrameLine makes the log line.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "protocol/messages.h"
#include "protocol/options.h"

namespace tapix {

// When a byte came: the steady clock for pauses, the wall clock for the log.
struct ByteTime {
  std::chrono::steady_clock::time_point steady;
  std::chrono::system_clock::time_point wall;
  static ByteTime Now() {
    return {std::chrono::steady_clock::now(), std::chrono::system_clock::now()};
  }
};

enum class CheckResult : std::uint8_t {
  None,  // not checked: Checksum off, a kind without one, or the message was cut
  Good,
  Bad,
};

// One thing the stream held: a message read to its length or cut short, a
// single-character message, or a byte that starts none.
struct Frame {
  const MessageSpec* message = nullptr;  // null: a byte that starts no message
  std::string text;                      // every byte as it came, the first included
  bool complete = true;                  // false: cut short by a time-out
  CheckResult check = CheckResult::None;
  char expected = 0;                     // the check character the text should end in, when Bad
  ByteTime first{};                      // when the first byte came
};

// The read time-outs of the port, as the framer applies them.
struct ReadTimeouts {
  std::chrono::milliseconds interval{100};
  std::chrono::milliseconds per_char{100};
  std::chrono::milliseconds constant{0};
};

class Framer {
 public:
  explicit Framer(ReadTimeouts timeouts = {}) : timeouts_(timeouts) {}

  // The read time-outs for the messages that start from now on.
  void SetTimeouts(ReadTimeouts timeouts) { next_timeouts_ = timeouts; }

  // What one byte ended: the message that was open, cut because the byte
  // came after its deadline, and what the byte itself completed.
  struct Findings {
    std::optional<Frame> cut;
    std::optional<Frame> found;
  };

  // One byte from the line at `when`. `options` count when the byte is a
  // first character: they fix the message's length and whether its check
  // character is verified.
  Findings Feed(unsigned char byte, const ByteTime& when, const OptionFlags& options);

  // The open message, cut, when its deadline has passed by `now`.
  std::optional<Frame> Expire(std::chrono::steady_clock::time_point now);

  // The open message, cut now (the reader knows nothing more will come).
  std::optional<Frame> Cut();

  // When the open message is cut unless another byte comes; none when no
  // message is open.
  std::optional<std::chrono::steady_clock::time_point> Deadline() const;

  // Characters the open message still wants; 0 when none is open.
  std::size_t Missing() const { return open_ ? wanted_ - text_.size() : 0; }

 private:
  Frame Close(bool complete);

  ReadTimeouts timeouts_;       // those of the open message
  std::optional<ReadTimeouts> next_timeouts_;
  // The open message: its row, its bytes so far, its whole length, whether
  // its check character is verified, when its first byte came, and the
  // arrival of its last byte after the first.
  const MessageSpec* open_ = nullptr;
  std::string text_;
  std::size_t wanted_ = 0;
  bool checksum_ = false;
  ByteTime first_{};
  std::chrono::steady_clock::time_point total_deadline_{};
  std::optional<std::chrono::steady_clock::time_point> last_rest_byte_;
};

// The log line of a frame (code page 1252, ending in a line feed):
//   read whole            "%s\n", every byte of the text, a 0 byte included
//   wrong check character "%s Fehler Chksumme (%c)\n" with the expected one
//   cut short             "%s timeout\n"
//   single character      the character and its row's tail ("F Datensatz Fehler\n")
//   no message            "%c (%02X) unerwartet\n"
std::string FrameLine(const Frame& frame);

// The line of an answer this side sends ("R\n", "F\n", "f\n").
std::string AnswerLine(char answer);

}  // namespace tapix
