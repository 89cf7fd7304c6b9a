#include "app/receiver.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "app/answers.h"
#include "protocol/catalogue.h"

namespace tapix {
namespace {

// The longest message: the first character, 11 field characters, the check
// character and the terminating 0.
constexpr std::size_t kReceiveBuffer = 14;

void ReadMessage(Session& session, unsigned char first, std::size_t count) {
  char buffer[kReceiveBuffer] = {};
  buffer[0] = static_cast<char>(first);
  const std::size_t wanted = count + (session.options.Checksum ? 1 : 0);
  std::size_t got = session.port ? session.port->Read(buffer + 1, wanted) : 0;
  if (got > wanted) got = wanted;
  buffer[1 + got] = '\0';
  const std::size_t length = 1 + got;
  if (got == wanted) {
    VerifyAndLog(session, buffer, length);
  } else {
    session.console->Log(MessageLine(std::string_view(buffer, length), false, false));
  }
  AutoAnswer(session, buffer, length);
}

}  // namespace

std::string MessageLine(std::string_view text, bool complete, bool checksum, int* good) {
  // Log lines carry the received bytes as they came. A 0 byte inside a text
  // would end it as a C string; the log shows every byte that arrived, so
  // nothing read from the line goes unrecorded.
  std::string line(text);
  if (good) *good = 1;
  if (!complete) return line + " timeout\n";
  char expected = 0;
  // The check stops at the first 0 byte, as on the C string it was made for.
  if (!checksum || VerifyCheck(line.c_str(), &expected)) return line + "\n";
  if (good) *good = 0;
  const char suffix[] = {' ', 'F', 'e', 'h', 'l', 'e', 'r', ' ', 'C', 'h', 'k', 's', 'u',
                         'm', 'm', 'e', ' ', '(', expected, ')', '\n'};
  return line.append(suffix, sizeof suffix);
}

std::string FirstCharacterLine(unsigned char first) {
  switch (first) {
    case 'E': return "E\n";
    case 'F': return "F Datensatz Fehler\n";
    case 'R': return "R\n";
    case 'f': return "f Storno ung\xFCltig\n";
    case 'r': return "r\n";
    case 't': return "t Storno ung\xFCltig\n";
    default: break;
  }
  char line[32];
  const int n = std::snprintf(line, sizeof line, "%c (%02X) unerwartet\n", first,
                              static_cast<unsigned>(first));
  return std::string(line, static_cast<std::size_t>(n));
}

int VerifyAndLog(Session& session, const char* text, std::size_t length) {
  int good = 1;
  session.console->Log(
      MessageLine(std::string_view(text, length), true, session.options.Checksum != 0, &good));
  return good;
}

void DispatchByte(Session& session, unsigned char first) {
  switch (Classify(first)) {
    case FirstKind::Record:
    case FirstKind::Fields:
      ReadMessage(session, first, FollowCount(first, session.options));
      return;
    case FirstKind::Query:
      session.console->Log(FirstCharacterLine(first));
      RecordAnswer(session);
      return;
    case FirstKind::Single:
    case FirstKind::Unexpected:
      session.console->Log(FirstCharacterLine(first));
      return;
  }
}

}  // namespace tapix
