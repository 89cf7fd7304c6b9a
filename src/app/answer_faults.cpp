#include "app/answer_faults.h"

namespace tapix {

void AnswerFaults::Add(const AnswerFault& fault) {
  if (fault.count > 0) faults_.push_back(fault);
}

std::optional<AnswerFault> AnswerFaults::Take() {
  if (faults_.empty()) return std::nullopt;
  AnswerFault fault = faults_.front();
  if (--faults_.front().count == 0) faults_.pop_front();
  fault.count = 1;
  return fault;
}

std::uint64_t AnswerFaults::Remaining() const {
  std::uint64_t messages = 0;
  for (const AnswerFault& fault : faults_) messages += fault.count;
  return messages;
}

std::optional<FieldValues> RecordQueue::Take() {
  if (records_.empty()) return std::nullopt;
  const FieldValues record = records_.front();
  records_.pop_front();
  return record;
}

std::string DescribeFault(const AnswerFault& fault) {
  switch (fault.type) {
    case FaultType::R:
      return "R";
    case FaultType::F:
      return "F";
    case FaultType::None:
      return "keine";
    case FaultType::BadCheck:
      return "mit falscher Pr\xFC" "fsumme";
    case FaultType::Delay:
      return "nach " + std::to_string(fault.delay.count()) + " ms";
    case FaultType::Short:
      return "ohne das letzte Zeichen";
  }
  return {};
}

}  // namespace tapix
