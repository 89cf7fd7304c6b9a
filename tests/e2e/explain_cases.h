// The diagnosis cases every build of the program must pass: --explain,
// --hex, the answer times, the summary, the trace file, the tap's lines in
// the order of their first bytes, a burst of noise as one line. A Target has
//   line          the peer's end of the program's line (Send, Receive, Drain)
//   kasse, isb    the cash register's and the dispenser's ends of a tap
//   files         a folder for the files the program writes (path())
//   Start(extra)  the program on `line` with the extra options, once its
//                 port is open (a std::unique_ptr<TapixProcess>)
//   StartTap(extra)  the program as the tap between kasse and isb
//   Path(local)   a file name as the program takes it
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tapix_process.h"

namespace tapix::e2e {

template <class Target>
class ExplainCases : public ::testing::Test {
 protected:
  // The log's lines from `from` on.
  static std::vector<std::string> Lines(const std::string& log, std::size_t from = 0) {
    std::vector<std::string> lines;
    std::istringstream in(log.substr(from));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Waits for `text` after `at` and moves `at` past it.
  static void Expect(TapixProcess& tapix, const std::string& text, std::size_t& at) {
    const std::size_t found = tapix.WaitFor(text, at);
    EXPECT_NE(found, std::string::npos) << "wanted: " << text << "\nlog:\n" << tapix.Log();
    if (found != std::string::npos) at = found;
  }
  static void Quit(TapixProcess& tapix) {
    tapix.Command("quit");
    EXPECT_EQ(tapix.Wait(milliseconds(15000)), 0) << tapix.Log();
  }

  Target target;
};

TYPED_TEST_SUITE_P(ExplainCases);

// Every kind with its meaning; each answer with its time, ours and the
// peer's; the plain lines of the same run stay as they were.
TYPED_TEST_P(ExplainCases, ExplainsEveryKindAndTimesEveryAnswer) {
  auto& line = this->target.line;
  auto tapix = this->target.Start({"--explain"});
  std::size_t at = 0;
  const std::pair<const char*, const char*> requests[] = {
      {"A005", "Kellnerfreigabe: Kellner 5"},
      {"B007", "Kellnersperre: Kellner 7"},
      {"C000", "Umsatzl\xF6schung: Kellner 0"},
      {"W0051", "Kellneran-/abmeldung: Kellner 5, Abmelden ja"},
      {"T0050070", "Tischfreigabe/-sperre: Kellner 5, Tisch 7, Freigabe nein"},
      {"K0345", "Kreditfreigabe: PLU 345"},
      {"S0345", "Kreditstorno: PLU 345"},
      {"Q0050345", "Kellnerkreditfreigabe: Kellner 5, PLU 345"},
      {"q0050345", "Kellnerkreditstorno: Kellner 5, PLU 345"},
      {"@00712", "Tischbelegung: Tisch 7, Kellner 12"},
      {"120345007", "Datensatz: Kellner 12, PLU 345, Tisch 7"},
  };
  for (const auto& [text, meaning] : requests) {
    line.Send(text);
    EXPECT_EQ(line.Receive(1), "R") << text;
    this->Expect(*tapix, std::string(text) + "  = " + meaning + "\nR  = Quittung, nach ", at);
  }
  line.Send("E");
  EXPECT_EQ(line.Receive(9), "000000000");
  this->Expect(*tapix, "E  = Datensatzabfrage\n", at);
  line.Send("RFfrt");
  this->Expect(*tapix,
               "R  = Quittung, nach ", at);  // it answers our record
  this->Expect(*tapix,
               "\nF Datensatz Fehler  = Datensatzfehler\nf Storno ung\xFCltig  = "
               "Storno ung\xFCltig\nr  = Antwort r\nt Storno ung\xFCltig  = Antwort t\n",
               at);
  // This side's request and the peer's answer to it.
  tapix->Command("A 9");
  EXPECT_EQ(line.Receive(4), "A009");
  line.Send("R");
  this->Expect(*tapix, "gesendet: A009  = Kellnerfreigabe: Kellner 9\nOK: Anfrage A009\nR  = Quittung, nach ", at);
  this->Quit(*tapix);
}

TYPED_TEST_P(ExplainCases, HexShowsEveryByteWithTheCheckCharacter) {
  auto& line = this->target.line;
  auto tapix = this->target.Start({"--hex"});
  std::size_t at = 0;
  tapix->Command("Checksum on");
  tapix->Command("help");
  this->Expect(*tapix, "quit\n", at);
  line.Send("A005tB005x");
  EXPECT_EQ(line.Receive(2), "RR");
  this->Expect(*tapix,
               "A005t  [41 30 30 35 74]\nR  [52]\nB005x Fehler Chksumme (w)  [42 30 30 35 78]\n"
               "R  [52]\n",
               at);
  this->Quit(*tapix);
}

// Noise that arrives together is one line per read, a line feed among it
// included; every byte is counted.
TYPED_TEST_P(ExplainCases, ABurstOfNoiseIsOneLine) {
  auto& line = this->target.line;
  auto tapix = this->target.Start({"--explain"});
  const std::size_t from = tapix->Log().size();
  std::string noise;
  for (int i = 0; i < 300; ++i) noise.push_back(i % 3 == 0 ? '\n' : '\xB5');
  line.Send(noise);
  line.Send("A005");
  EXPECT_EQ(line.Receive(1), "R");
  std::size_t at = from;
  this->Expect(*tapix, "A005  = Kellnerfreigabe: Kellner 5\n", at);
  std::size_t counted = 0;
  std::size_t lines = 0;
  const std::regex run(R"((\d+) Bytes? unerwartet: (0A|B5)( (0A|B5)){0,15}( \.\.\.)?)");
  for (const std::string& text : this->Lines(tapix->Log().substr(0, at), from)) {
    std::smatch m;
    if (text.rfind("A005", 0) == 0) continue;
    ASSERT_TRUE(std::regex_match(text, m, run)) << "a line of noise: " << text;
    counted += std::stoul(m[1]);
    ++lines;
  }
  EXPECT_EQ(counted, noise.size());
  EXPECT_LE(lines, 10u) << "one line per read, not per byte";
  this->Quit(*tapix);
}

// The summary at the end of a run with known counts, and on "stats".
TYPED_TEST_P(ExplainCases, TheSummaryCountsTheRun) {
  auto& line = this->target.line;
  auto tapix = this->target.Start({"--explain"});
  tapix->Command("Checksum on");
  tapix->Command("help");
  std::size_t at = 0;
  this->Expect(*tapix, "quit\n", at);
  line.Send("A005tA005t");
  EXPECT_EQ(line.Receive(2), "RR");
  line.Send("A005x");
  EXPECT_EQ(line.Receive(1), "R");
  line.Send("\xB5\xB5\xB5");
  line.Send("B0");
  EXPECT_EQ(line.Receive(1, milliseconds(5000)), "R") << "the cut message is answered";
  this->Expect(*tapix, "B0 timeout", at);
  tapix->Command("stats");
  this->Expect(*tapix, "Zusammenfassung:\n", at);
  this->Expect(*tapix, "  empfangen    Kellnerfreigabe (A): 3\n", at);
  tapix->Command("quit");
  EXPECT_EQ(tapix->Wait(milliseconds(15000)), 0);
  const std::string& log = tapix->Log();
  const std::size_t end = log.rfind("Zusammenfassung:\n");
  ASSERT_NE(end, std::string::npos) << log;
  EXPECT_GT(end, at) << "again at the end";
  const std::string summary = log.substr(end);
  for (const char* wanted :
       {"  empfangen    Kellnerfreigabe (A): 3\n", "  empfangen    Kellnersperre (B): 1\n",
        "  gesendet     Quittung (R): 4\n", "  Pr\xFC" "fzeichenfehler: 1\n",
        "  Zeit\xFC" "berschreitungen: 1\n", "  unerwartete Bytes: 3\n",
        "  unbeantwortete Anfragen: 0\n", "    empfangen    Kellnerfreigabe (A): ",
        "(3 Antworten)\n", "    empfangen    Kellnersperre (B): "}) {
    EXPECT_NE(summary.find(wanted), std::string::npos) << wanted << "\n" << summary;
  }
}

// The trace holds every event as JSON, and its bytes are those on the line.
TYPED_TEST_P(ExplainCases, TheTraceIsJsonAndHoldsTheBytesOnTheLine) {
  auto& line = this->target.line;
  const std::string file = this->target.files.path() + "/trace.jsonl";
  auto tapix = this->target.Start({"--trace=" + this->target.Path(file)});
  tapix->Command("Checksum on");
  tapix->Command("help");
  std::size_t at = 0;
  this->Expect(*tapix, "quit\n", at);
  // A message, noise (a line feed among it), the record, and a message whose
  // field holds line feeds (its check character is right).
  const std::string sent = std::string("A005t") + "\x0A\xFC\x80" + "1203450076" + "A\n5\nt";
  line.Send(sent);
  EXPECT_EQ(line.Receive(3), "RRR");
  tapix->Command("A 5");
  EXPECT_EQ(line.Receive(5), "A005t");
  line.Send("R");
  // The summary says when that answer has come.
  for (int tries = 0; tries < 50; ++tries) {
    tapix->Command("stats");
    if (tapix->WaitFor("empfangen    Quittung (R): 1\n", at, milliseconds(200)) != std::string::npos)
      break;
  }
  this->Quit(*tapix);

  std::string received, written;
  std::vector<std::string> events;
  const std::regex time(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6}Z)");
  std::map<std::string, std::string> last_time;  // by direction
  for (const std::string& text : this->Lines(ReadFile(file))) {
    nlohmann::json object;
    ASSERT_NO_THROW(object = nlohmann::json::parse(text)) << text;
    const std::string event = object.at("event");
    events.push_back(event);
    const std::string when = object.at("time");
    EXPECT_TRUE(std::regex_match(when, time)) << when;
    const std::string way = object.contains("dir") ? object.at("dir").get<std::string>() : "";
    EXPECT_GE(when, last_time[way]) << "times never go backwards in one direction";
    last_time[way] = when;
    if (!object.contains("hex")) continue;
    // The hex is the bytes; the text the same bytes as characters.
    std::string bytes;
    std::istringstream hex(object.at("hex").get<std::string>());
    for (std::string pair; hex >> pair;) bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    EXPECT_EQ(object.at("count").get<std::size_t>(), bytes.size()) << text;
    if (object.at("dir") == "gesendet") written += bytes;
    else received += bytes;
    if (event == "message" && object.at("text") == "A005t") {
      EXPECT_EQ(object.at("kind"), "Kellnerfreigabe") << text;
      EXPECT_EQ(object.at("check"), "ok") << text;
      EXPECT_EQ(object.at("fields").at("Kellner"), 5) << text;
    }
    if (event == "message" && object.at("text") == "A\n5\nt") {
      EXPECT_EQ(object.at("check"), "ok") << text;
      EXPECT_EQ(object.at("fields").at("Kellner"), "\n5\n") << text;
    }
    if (event == "unexpected") {
      EXPECT_EQ(object.at("text"), "\n\xC3\xBC\xE2\x82\xAC") << text;
    }
    if (event == "message" && object.at("text") == "1203450076") {
      EXPECT_EQ(object.at("fields").at("PLU"), 345) << text;
    }
    if (object.contains("after_ms")) {
      EXPECT_GE(object.at("after_ms").get<double>(), 0.0) << text;
      EXPECT_TRUE(object.contains("answers")) << text;
    }
  }
  EXPECT_EQ(received, sent + "R");
  EXPECT_EQ(written, "RRRA005t");
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), "open");
  EXPECT_NE(std::find(events.begin(), events.end(), "write"), events.end());
  EXPECT_NE(std::find(events.begin(), events.end(), "unexpected"), events.end());
}

// The tap: a request that a pause cuts stands before the answer that came
// while it waited, with the times in order; each answer with its time.
TYPED_TEST_P(ExplainCases, TheTapLogsInTheOrderOfTheFirstBytes) {
  auto& kasse = this->target.kasse;
  auto& isb = this->target.isb;
  auto tapix = this->target.StartTap({"--timestamps"});
  const std::size_t from = tapix->Log().size();
  kasse.Send("A00");  // left open: the pause cuts it
  EXPECT_EQ(isb.Receive(3), "A00");
  isb.Send("F");
  EXPECT_EQ(kasse.Receive(1), "F");
  std::size_t at = from;
  this->Expect(*tapix, "ISB > Kasse: F Datensatz Fehler\n", at);
  const std::vector<std::string> lines = this->Lines(tapix->Log().substr(0, at), from);
  ASSERT_EQ(lines.size(), 2u) << tapix->Log();
  EXPECT_NE(lines[0].find("Kasse > ISB: A00 timeout"), std::string::npos) << tapix->Log();
  EXPECT_LE(lines[0].substr(0, 14), lines[1].substr(0, 14)) << "times never go backwards";
  this->Quit(*tapix);

  tapix = this->target.StartTap({"--explain"});
  kasse.Send("A005");
  EXPECT_EQ(isb.Receive(4), "A005");
  isb.Send("R");
  EXPECT_EQ(kasse.Receive(1), "R");
  at = 0;
  this->Expect(*tapix,
               "Kasse > ISB: A005  = Kellnerfreigabe: Kellner 5\nISB > Kasse: R  = Quittung, nach ",
               at);
  isb.Send("120345007");
  EXPECT_EQ(kasse.Receive(9), "120345007");
  kasse.Send("R");
  EXPECT_EQ(isb.Receive(1), "R");
  this->Expect(*tapix,
               "ISB > Kasse: 120345007  = Datensatz: Kellner 12, PLU 345, Tisch 7\n"
               "Kasse > ISB: R  = Quittung, nach ",
               at);
  this->Quit(*tapix);
}

REGISTER_TYPED_TEST_SUITE_P(ExplainCases, ExplainsEveryKindAndTimesEveryAnswer,
                            HexShowsEveryByteWithTheCheckCharacter, ABurstOfNoiseIsOneLine,
                            TheSummaryCountsTheRun, TheTraceIsJsonAndHoldsTheBytesOnTheLine,
                            TheTapLogsInTheOrderOfTheFirstBytes);

}  // namespace tapix::e2e
