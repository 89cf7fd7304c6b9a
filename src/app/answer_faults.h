// What the dispenser side answers besides its option boxes: faults for the
// next messages ("answer next F count 2") and a queue of dispense records for
// the next record queries ("records 12 345 7 13 100 8").
//
// Both are set by console commands and scenario statements and taken by the
// receiver's answer, one message at a time, so a fault never races the line:
// it is in force from the command on, for exactly the messages it names.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "protocol/messages.h"

namespace tapix {

// How one message is answered instead of what the boxes say.
enum class FaultType : std::uint8_t {
  R,         // the positive answer, whatever AnswerOk says ("R", per unit; "R" for "E")
  F,         // the negative answer ("F", "f" per unit; "F" for "E")
  None,      // no answer at all
  BadCheck,  // the right answer with a wrong check character (a record with one)
  Delay,     // the right answer, `delay` later
  Short,     // the right answer without its last character
};

struct AnswerFault {
  FaultType type = FaultType::R;
  std::chrono::milliseconds delay{0};  // Delay
  std::uint32_t count = 1;             // how many messages it answers
};

// The faults in the order they were given: each answers the next `count`
// messages that get an answer, then the next fault, then the boxes again.
class AnswerFaults {
 public:
  void Add(const AnswerFault& fault);
  // The fault for the message being answered now, used up by it; none when
  // the boxes answer.
  std::optional<AnswerFault> Take();
  bool Empty() const { return faults_.empty(); }
  void Clear() { faults_.clear(); }
  // Messages the queued faults still answer.
  std::uint64_t Remaining() const;

 private:
  std::deque<AnswerFault> faults_;
};

// The records for the next queries "E", each sent once (waiter, PLU, table,
// reduced when the record is composed); then zeros, as without the queue.
class RecordQueue {
 public:
  void Add(const FieldValues& record) { records_.push_back(record); }
  std::optional<FieldValues> Take();
  std::size_t Size() const { return records_.size(); }
  void Clear() { records_.clear(); }

 private:
  std::deque<FieldValues> records_;
};

// The operator's words for a fault ("F", "keine", "nach 500 ms"), for the
// acknowledgement of the command.
std::string DescribeFault(const AnswerFault& fault);

}  // namespace tapix
