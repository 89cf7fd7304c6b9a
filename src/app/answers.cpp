#include "app/answers.h"

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

void Acknowledge(const MessageSpec& message, std::string_view text, const OptionFlags& options,
                 LineOut out) {
  if (message.reply == Reply::PerUnit && options.CreditQuantity) {
    const int units = CancellationUnits(text);
    const char answer = options.AnswerOk ? 'R' : 'f';
    for (int i = 0; i < units; ++i) Answer(out, answer);
    return;
  }
  Answer(out, options.AnswerOk ? 'R' : 'F');
}

void SendRecordAnswer(const FieldValues& record, const OptionFlags& options, bool check,
                      LineOut out) {
  Write(out, Compose(MessageOf(Kind::Record), record, options, check), WriteKind::Record);
}

}  // namespace tapix
