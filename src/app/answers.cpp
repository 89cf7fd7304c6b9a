#include "app/answers.h"

#include "protocol/framer.h"

namespace tapix {
namespace {

void Answer(LineOut out, char answer) {
  // The answer's line stands whether or not the byte went out (the console's
  // trace); the trace of the line itself records only what was written.
  out.console.Mark(LogClock::now());
  if (out.port && out.port->Write(&answer, 1) == 1) out.console.Sent({&answer, 1}, {});
  out.console.Log(AnswerLine(answer));
}

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
  WriteWithEcho(out, Compose(MessageOf(Kind::Record), record, options, check));
}

}  // namespace tapix
