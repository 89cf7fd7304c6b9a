#include "core/receiver.h"

#include <cstring>
#include <string>

#include "core/answers.h"
#include "core/catalogue.h"

namespace tapix {
namespace {

// The longest message: the first character, 11 field characters, the check
// character and the terminating 0.
constexpr std::size_t kReceiveBuffer = 14;

void LogText(Session& session, std::string_view text, std::string_view suffix) {
  // Log lines carry the received bytes as they came. A 0 byte inside a text
  // would end it as a C string; the log shows every byte that arrived, so
  // nothing read from the line goes unrecorded.
  std::string line;
  line.reserve(text.size() + suffix.size());
  line.append(text);
  line.append(suffix);
  session.console->Log(line);
}

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
    LogText(session, std::string_view(buffer, length), " timeout\n");
  }
  AutoAnswer(session, buffer, length);
}

}  // namespace

int VerifyAndLog(Session& session, const char* text, std::size_t length) {
  const std::string_view shown(text, length);
  if (!session.options.Checksum) {
    LogText(session, shown, "\n");
    return 1;
  }
  char expected = 0;
  if (VerifyCheck(text, &expected)) {
    LogText(session, shown, "\n");
    return 1;
  }
  const char suffix[] = {' ', 'F', 'e', 'h', 'l', 'e', 'r', ' ', 'C', 'h', 'k', 's', 'u',
                         'm', 'm', 'e', ' ', '(', expected, ')', '\n'};
  LogText(session, shown, std::string_view(suffix, sizeof suffix));
  return 0;
}

void DispatchByte(Session& session, unsigned char first) {
  switch (Classify(first)) {
    case FirstKind::Record:
    case FirstKind::Fields:
      ReadMessage(session, first, FollowCount(first, session.options));
      return;
    case FirstKind::Query:
      session.console->Log("E\n");
      RecordAnswer(session);
      return;
    case FirstKind::Single:
      switch (first) {
        case 'F': session.console->Log("F Datensatz Fehler\n"); return;
        case 'R': session.console->Log("R\n"); return;
        case 'f': session.console->Log("f Storno ung\xFCltig\n"); return;
        case 'r': session.console->Log("r\n"); return;
        default: session.console->Log("t Storno ung\xFCltig\n"); return;
      }
    case FirstKind::Unexpected:
      Logf(*session.console, "%c (%02X) unerwartet\n", first, static_cast<unsigned>(first));
      return;
  }
}

}  // namespace tapix
