// Which options the traffic fits.
//
// Nothing on the line says which options the two devices use: Checksum,
// Waiter3 and CreditQuantity change how long a message is, and a receiver
// set differently reads garbage (check characters that fail, messages cut
// by a time-out, bytes that start no message). The traffic itself shows
// the right setting: under it every message has the length its first
// character asks for and every check character comes out right. So the
// recent bytes of each direction are kept with their arrival times and
// replayed through the framer under each of the eight combinations of the
// three options; what each combination made of them is its evidence.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "protocol/framer.h"
#include "protocol/options.h"

namespace tapix {

// One setting of the three options that decide how a message is read.
class Combination {
 public:
  static constexpr std::size_t kCount = 8;

  constexpr Combination() = default;
  // Bit 0 Checksum, bit 1 Waiter3, bit 2 CreditQuantity.
  static constexpr Combination FromIndex(std::size_t index) {
    Combination c;
    c.bits_ = static_cast<std::uint8_t>(index & 7u);
    return c;
  }
  static Combination Of(const OptionFlags& options);

  constexpr std::size_t Index() const { return bits_; }
  // `options` with the three flags of this combination; the others as given.
  OptionFlags Apply(OptionFlags options) const;
  // How many of the three options differ.
  int Distance(Combination other) const;
  // "Prüfsumme an, Kellner 3-stellig aus, Kreditstückzahl aus" (code page 1252).
  std::string Describe() const;

  friend constexpr bool operator==(Combination, Combination) = default;

 private:
  std::uint8_t bits_ = 0;
};

// What one combination made of the bytes.
struct Evidence {
  std::size_t messages = 0;      // messages read whole with a good check character or none
  std::size_t with_fields = 0;   // of those, the ones with fields (their length depends on the options)
  std::size_t check_errors = 0;  // messages whose check character failed
  std::size_t timeouts = 0;      // messages cut short by a pause
  std::size_t unexpected = 0;    // bytes that start no message

  // Nothing went wrong under this combination.
  bool Clean() const { return check_errors == 0 && timeouts == 0 && unexpected == 0; }
  Evidence& operator+=(const Evidence& other);
};

// The recent bytes of one direction with their arrival times, at most
// `capacity` of them. When it is full, the oldest quarter goes, and the cut
// is moved on to the longest pause among the next few bytes: a pause is
// where one message ended and the next began, so the replay starts on a
// first character as the devices did.
class ByteWindow {
 public:
  explicit ByteWindow(std::size_t capacity);

  void Add(std::string_view bytes, std::chrono::steady_clock::time_point when);
  void Clear() { bytes_.clear(); }
  // Forgets all but the message that may still be arriving: the bytes
  // after the longest pause among the last kLongestMessage of them. What
  // came before (noise, traffic of other settings) no longer blocks a
  // verdict on what comes next.
  void KeepLatest();
  std::size_t Size() const { return bytes_.size(); }
  std::size_t Capacity() const { return capacity_; }

  struct Byte {
    std::chrono::steady_clock::time_point when;
    unsigned char value;
  };
  const std::deque<Byte>& Bytes() const { return bytes_; }

 private:
  void Trim();
  // The longest pause among the bytes from `from` to before `to`: the index
  // of the byte after it (`from` when there is none); of equal ones the
  // first, or the last with `latest`.
  std::size_t LongestPause(std::size_t from, std::size_t to, bool latest = false) const;

  std::size_t capacity_;
  std::deque<Byte> bytes_;
};

// The bytes of `window` read under `combination`, as the framer would have
// read them with the read time-outs `timeouts`; a message still open at the
// end counts as cut when its deadline has passed by `now`, and not at all
// while it may still be arriving.
Evidence Replay(const ByteWindow& window, Combination combination,
                std::chrono::steady_clock::time_point now, ReadTimeouts timeouts = {});

// The evidence of every combination over every window (each direction is
// read on its own; the counts add up).
using Survey = std::array<Evidence, Combination::kCount>;
Survey SurveyWindows(std::span<const ByteWindow* const> windows,
                     std::chrono::steady_clock::time_point now, ReadTimeouts timeouts = {});

// What a survey says about the options.
struct Verdict {
  enum class Outcome : std::uint8_t {
    Explained,  // `best` explains the traffic
    Tied,       // several explain it and are as close to the current options (`best`, `other`)
    TooLittle,  // a combination explains it, but with too few messages with fields to tell
    None,       // no combination reads the traffic without errors
  };
  Outcome outcome = Outcome::None;
  Combination best;
  Combination other;
};

// The combination that explains the traffic: clean (no check errors, no
// time-outs, no unexpected bytes) with at least `least_messages` messages
// with fields; of several, the one closest to `current`; two at the same
// closest distance tie, and then none is named.
Verdict Judge(const Survey& survey, Combination current, std::size_t least_messages);

// The hint line: "Hinweis: Der Verkehr passt zu " and the combination.
std::string HintLine(Combination combination);

}  // namespace tapix
