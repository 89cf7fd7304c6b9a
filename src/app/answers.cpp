#include "app/answers.h"

#include "protocol/catalogue.h"
#include "app/control_ids.h"
#include "app/transmit.h"

namespace tapix {
namespace {

void Acknowledge(Session& session, char answer) {
  // The answer's line stands whether or not the byte went out (the console's
  // trace); the trace of the line itself records only what was written.
  session.console->Mark(LogClock::now());
  if (session.port && session.port->Write(&answer, 1) == 1) session.console->Sent({&answer, 1}, {});
  const char line[2] = {answer, '\n'};
  session.console->Log(std::string_view(line, 2));
}

}  // namespace

int CancellationUnits(const char* text, std::size_t length) {
  // Only the quantity field (positions 1 to 4) is looked at, and only what came.
  std::size_t end = length < 5 ? length : 5;
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

void AutoAnswer(Session& session, const char* text, std::size_t length) {
  if (!session.options.AutoAnswer) return;
  const char first = length > 0 ? text[0] : '\0';
  if ((first == 'S' || first == 'q') && session.options.CreditQuantity) {
    const int units = CancellationUnits(text, length);
    const char answer = session.options.AnswerOk ? 'R' : 'f';
    for (int i = 0; i < units; ++i) Acknowledge(session, answer);
    return;
  }
  Acknowledge(session, session.options.AnswerOk ? 'R' : 'F');
}

void RecordAnswer(Session& session) {
  if (!session.options.AutoAnswer) return;
  std::uint32_t waiter = 0, plu = 0, table = 0;
  if (session.options.SendRecord && session.window) {
    waiter = ReadUnsignedField(*session.window, ctl::IsbWaiter);
    plu = ReadUnsignedField(*session.window, ctl::IsbPlu);
    table = ReadUnsignedField(*session.window, ctl::IsbTable);
    session.options.SendRecord = 0;
    session.window->SetChecked(ctl::SendRecord, false);
  }
  char record[12];
  FormatRecord(record, waiter, plu, table, session.options.Waiter3 != 0);
  if (ChecksumBoxTicked(session)) AppendCheck(record);
  WriteWithEcho(session, record);
}

}  // namespace tapix
