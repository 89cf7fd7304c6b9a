#include "app/answers.h"

#include "protocol/check.h"
#include "protocol/framer.h"

namespace tapix {
namespace {

void Answer(LineOut out, char answer) { Write(out, {&answer, 1}, WriteKind::Answer); }

}  // namespace

int CancellationUnits(std::string_view text) {
  // Only the quantity field (positions 1 to 4) is looked at, and only what came.
  const std::size_t end = text.size() < 5 ? text.size() : 5;
  std::size_t i = 1;
  while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  int value = 0;
  while (i < end && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + (text[i] - '0');
    ++i;
  }
  if (negative) value = -value;
  return value == 0 ? 1 : value;
}

std::vector<AnswerWrite> Acknowledgement(const MessageSpec& message, std::string_view text,
                                         const OptionFlags& options) {
  if (message.reply == Reply::PerUnit && options.CreditQuantity) {
    const int units = CancellationUnits(text);
    const char answer = options.AnswerOk ? 'R' : 'f';
    return std::vector<AnswerWrite>(units > 0 ? static_cast<std::size_t>(units) : 0,
                                    AnswerWrite{std::string(1, answer), false});
  }
  return {AnswerWrite{std::string(1, options.AnswerOk ? 'R' : 'F'), false}};
}

AnswerWrite RecordAnswer(const FieldValues& record, const OptionFlags& options, bool check,
                         bool wrong_check) {
  const MessageSpec& message = MessageOf(Kind::Record);
  if (!wrong_check || !check) return {Compose(message, record, options, check), true};
  std::string text = Compose(message, record, options, false);
  char buffer[kLongestMessage + 2] = {};
  text.copy(buffer, kLongestMessage);
  AppendCheck(buffer);
  text.push_back(static_cast<char>(buffer[text.size()] ^ 1));
  return {text, true};
}

void LeaveOffLast(std::vector<AnswerWrite>& writes) {
  if (writes.empty()) return;
  writes.back().bytes.pop_back();
  if (writes.back().bytes.empty()) writes.pop_back();
}

void WriteAnswer(const std::vector<AnswerWrite>& writes, LineOut out) {
  for (const AnswerWrite& write : writes) {
    if (write.record) {
      Write(out, write.bytes, WriteKind::Record);
    } else {
      for (const char answer : write.bytes) Answer(out, answer);
    }
  }
}

}  // namespace tapix
