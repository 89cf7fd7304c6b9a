// Accounts for every byte the peer sent, from the program's log alone.
//
// The log holds one line per received message (complete, with a wrong check
// character, or cut short by a time-out), one line per single character or
// unexpected byte, and one line per answer byte the program wrote ("R", "F",
// "f"). A received "R" and an answer "R" have the same line; what tells them
// apart is the peer: it read every answer byte back, so the answer lines must
// be exactly those bytes, in order, each after the line of a message with
// fields. The search tries both readings where a line is ambiguous.
#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace tapix::fault {

struct LineOptions {
  bool checksum = false;
  bool waiter3 = false;
  bool credit_quantity = false;
  bool auto_answer = true;
};

// Characters after the first one (without the check character) for a message
// with fields or a dispense record; -1 for everything else.
inline int FieldCount(unsigned char c, const LineOptions& o) {
  if (c >= '0' && c <= '9') return o.waiter3 ? 9 : 8;
  switch (c) {
    case '@': return o.waiter3 ? 6 : 5;
    case 'A': case 'B': case 'C': return 3;
    case 'W': return 4;
    case 'T': return 7;
    case 'K': case 'S': return o.credit_quantity ? 8 : 4;
    case 'Q': case 'q': return o.credit_quantity ? 11 : 7;
    default: return -1;
  }
}

// The fixed line of a byte that is not the start of a message with fields.
inline std::string SingleLine(unsigned char c) {
  switch (c) {
    case 'E': return "E\n";
    case 'F': return "F Datensatz Fehler\n";
    case 'R': return "R\n";
    case 'f': return "f Storno ung\xFCltig\n";
    case 'r': return "r\n";
    case 't': return "t Storno ung\xFCltig\n";
    default: {
      char line[32];
      const int n = std::snprintf(line, sizeof line, "%c (%02X) unerwartet\n", c, c);
      return std::string(line, static_cast<std::size_t>(n));
    }
  }
}

struct Accounting {
  bool ok = false;
  std::size_t queries = 0;   // "E" lines on the way that accounted for everything
  std::string where;         // on failure: the furthest point reached
};

inline Accounting Account(const std::string& log, const std::string& sent,
                          const std::string& answers, const LineOptions& o) {
  struct State {
    std::size_t pos, i, a;
    bool may_answer;
    std::size_t queries;
  };
  auto starts = [&](std::size_t pos, std::string_view what) {
    return log.compare(pos, what.size(), what) == 0;
  };
  std::set<std::tuple<std::size_t, std::size_t, std::size_t, bool>> seen;
  std::vector<State> stack{{0, 0, 0, false, 0}};
  std::size_t best_pos = 0, best_i = 0;
  Accounting result;
  while (!stack.empty()) {
    const State s = stack.back();
    stack.pop_back();
    if (!seen.insert({s.pos, s.i, s.a, s.may_answer}).second) continue;
    if (s.pos > best_pos) {
      best_pos = s.pos;
      best_i = s.i;
    }
    if (s.pos == log.size() && s.i == sent.size() && s.a == answers.size()) {
      result.ok = true;
      result.queries = s.queries;
      return result;
    }
    // An answer byte the peer read, logged after the message it answers.
    if (s.may_answer && s.a < answers.size() && starts(s.pos, std::string{answers[s.a], '\n'}))
      stack.push_back({s.pos + 2, s.i, s.a + 1, true, s.queries});
    if (s.i >= sent.size()) continue;
    const unsigned char c = static_cast<unsigned char>(sent[s.i]);
    const int count = FieldCount(c, o);
    if (count < 0) {
      const std::string line = SingleLine(c);
      if (starts(s.pos, line))
        stack.push_back({s.pos + line.size(), s.i + 1, s.a, false, s.queries + (c == 'E')});
      continue;
    }
    const std::size_t full = 1 + static_cast<std::size_t>(count) + (o.checksum ? 1 : 0);
    // Cut short: the characters that came, then " timeout".
    for (std::size_t m = 1; m < full && s.i + m <= sent.size(); ++m) {
      if (starts(s.pos, std::string_view(sent).substr(s.i, m)) && starts(s.pos + m, " timeout\n"))
        stack.push_back({s.pos + m + 9, s.i + m, s.a, o.auto_answer, s.queries});
    }
    if (s.i + full > sent.size() || !starts(s.pos, std::string_view(sent).substr(s.i, full))) continue;
    const std::size_t after = s.pos + full;
    if (starts(after, "\n")) stack.push_back({after + 1, s.i + full, s.a, o.auto_answer, s.queries});
    // A wrong check character: " Fehler Chksumme (x)" with the expected one.
    if (o.checksum && starts(after, " Fehler Chksumme (") && starts(after + 19, ")\n"))
      stack.push_back({after + 21, s.i + full, s.a, o.auto_answer, s.queries});
  }
  auto show = [](const std::string& text, std::size_t at) {
    std::string out;
    for (std::size_t k = at; k < text.size() && k < at + 60; ++k) {
      const unsigned char ch = static_cast<unsigned char>(text[k]);
      char hex[8];
      std::snprintf(hex, sizeof hex, ch >= 0x20 && ch < 0x7F ? "%c" : "<%02X>", ch);
      out += hex;
    }
    return out;
  };
  result.where = "log at " + std::to_string(best_pos) + " of " + std::to_string(log.size()) +
                 ": \"" + show(log, best_pos) + "\"; sent at " + std::to_string(best_i) + " of " +
                 std::to_string(sent.size()) + ": \"" + show(sent, best_i) + "\"";
  return result;
}

}  // namespace tapix::fault
