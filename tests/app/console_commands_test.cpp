// Console commands drive the same controls a person would.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/console_commands.h"
#include "app/control_ids.h"
#include "app/window_commands.h"
#include "session_fixture.h"
#include "numbered_ports.h"

namespace tapix {
namespace {

struct Commands : ::testing::Test, testing::SessionFixture {
  Commands() {
    UseWindow();
    session.port_choices.Bind(&panel);
    session.port_choices.Fill(1, testing::NumberedPorts({1, 3, 12}));
    panel.SetChecked(ctl::AutoAnswer, true);
    panel.SetChecked(ctl::AnswerOk, true);
  }
  std::string Run(const char* line) {
    session.pending.SendPending = 0;
    session.pending.text[0] = '\0';
    ExecuteCommandLine(session, line);
    return session.pending.SendPending ? session.pending.text : "";
  }
};

TEST_F(Commands, ButtonsWithTheirFieldsInScreenOrder) {
  EXPECT_EQ(Run("A 5"), "A005");
  EXPECT_EQ(Run("A -1"), "A127");
  EXPECT_EQ(Run("B 200"), "B072");
  EXPECT_EQ(Run("C 0"), "C000");
  EXPECT_EQ(Run("W 51 1"), "W0511");
  EXPECT_EQ(Run("W 51 0"), "W0510");
  EXPECT_EQ(Run("T 12 1045 1"), "T0120451");
  EXPECT_EQ(Run("K 0 9999"), "K1743");
  EXPECT_EQ(Run("Q 23 5 123"), "Q0050123");  // quantity field filled, not used
  EXPECT_EQ(Run("@ 12 123"), "@01223");
  EXPECT_EQ(Run("E"), "E");
  EXPECT_EQ(Run("CreditQuantity on"), "");
  EXPECT_EQ(Run("K 123 8256"), "K00230000");
  EXPECT_EQ(Run("q 23 5 123"), "q00230050123");
  EXPECT_EQ(Run("S -1 -1"), "S00956207");
  EXPECT_EQ(Run("Waiter3 ON"), "");
  EXPECT_EQ(Run("@ 12 200"), "@012072");
}

TEST_F(Commands, TooFewNumbersAreRefusedAndKeepEveryField) {
  // One number left out would keep an old value nobody sees on the console.
  Run("T 12 45 1");
  for (const char* line : {"T 7", "T", "K 7", "ISB 1 2", "W 5", "A"}) {
    console.log_.clear();
    EXPECT_EQ(Run(line), "") << line;
    EXPECT_NE(console.log_.find("zu wenige Zahlen"), std::string::npos) << line;
  }
  EXPECT_EQ(panel.FieldText(ctl::FieldTWaiter), "12");
  EXPECT_EQ(Run("E"), "E");  // a button without fields needs no number
}

TEST_F(Commands, FlagsAreBoxClicks) {
  EXPECT_EQ(Run("checksum on"), "");
  EXPECT_TRUE(panel.IsChecked(ctl::Checksum));
  EXPECT_EQ(session.options.Checksum, 1u);
  EXPECT_EQ(Run("A 5"), "A005t");
  Run("AUTOANSWER off");
  EXPECT_EQ(session.options.AutoAnswer, 0u);
  EXPECT_FALSE(panel.IsChecked(ctl::AutoAnswer));
  Run("SendRecord 1");
  Run("AutoQuery on");
  Run("AnswerOk 0");
  EXPECT_EQ(session.options.SendRecord, 1u);
  EXPECT_EQ(session.options.AutoQuery, 1u);
  EXPECT_EQ(session.options.AnswerOk, 0u);
}

TEST_F(Commands, IsbFieldsFeedTheRecord) {
  Run("isb 1 2 3");  // the word in either case
  EXPECT_EQ(panel.FieldText(ctl::IsbPlu), "2");
  Run("ISB 150 9000 1234");
  Run("SendRecord on");
  Receive("E");
  EXPECT_EQ(device->written_, "500744234");
  EXPECT_FALSE(panel.IsChecked(ctl::SendRecord));
}

TEST_F(Commands, BadLinesChangeNothingAndSaySo) {
  panel.SetFieldText(ctl::FieldAWaiter, "9");
  for (const char* line : {"A x", "A 5 6", "W 5 2", "T 1 2 x", "E 1", "Checksum maybe", "Checksum",
                           "ISB 1 2 3 4", "ISB a", "isb 1 -", "port", "port x", "port 7", "port -1",
                           "hello", "a 5", "e", "A 99999999999999"}) {
    console.log_.clear();
    EXPECT_EQ(Run(line), "") << line;
    EXPECT_EQ(std::count(console.log_.begin(), console.log_.end(), '\n'), 1) << line;
    EXPECT_NE(console.log_.find("Befehl nicht ausgef\xFChrt"), std::string::npos) << line;
  }
  for (const std::string& line : {std::string("A\0 5", 4), std::string("A 5") + std::string(5000, ' ')}) {
    console.log_.clear();
    session.pending.SendPending = 0;
    ExecuteCommandLine(session, line);
    EXPECT_EQ(session.pending.SendPending, 0u);
    EXPECT_EQ(console.log_.find('\0'), std::string::npos);
    EXPECT_NE(console.log_.find("Befehl nicht ausgef\xFChrt"), std::string::npos);
  }
  EXPECT_EQ(panel.FieldText(ctl::FieldAWaiter), "9");
  EXPECT_EQ(session.options.Checksum, 0u);
  console.log_.clear();
  Run("");
  Run("   ");
  EXPECT_EQ(console.log_, "");
}

TEST_F(Commands, PendingRequestDropsTheNextCommand) {
  ExecuteCommandLine(session, "A 5");
  ExecuteCommandLine(session, "B 7");
  EXPECT_STREQ(session.pending.text, "A005");
  EXPECT_EQ(panel.FieldText(ctl::FieldBWaiter), "7");  // the field still took the number
}

TEST_F(Commands, EveryChangeIsAcknowledgedInOneLine) {
  const auto ack = [this](const char* line) {
    session.pending.SendPending = 0;
    return ExecuteCommandLine(session, line);
  };
  EXPECT_EQ(ack("AnswerOk off"), "OK: AnswerOk aus\n");
  EXPECT_EQ(ack("checksum 1"), "OK: Checksum an\n");
  EXPECT_EQ(ack("A 5"), "OK: Anfrage A005t\n");
  EXPECT_EQ(ack("T 12 45 1"), "OK: Anfrage T0120451g\n");
  EXPECT_EQ(ack("E"), "OK: Anfrage E\n");
  EXPECT_EQ(ack("ISB 12 345 7"), "OK: ISB Kellner 12, PLU 345, Tisch 7\n");
  EXPECT_EQ(ack("answer next F"), "OK: n\xE4" "chste Antwort F\n");
  EXPECT_EQ(ack("answer next delay 300 count 2"),
            "OK: die n\xE4" "chsten 2 Antworten nach 300 ms\n");
  EXPECT_EQ(ack("records 1 2 3"), "OK: 1 Datensatz f\xFCr die n\xE4" "chsten E\n");
  EXPECT_EQ(ack("records 4 5 6 7 8 9"), "OK: 3 Datens\xE4tze f\xFCr die n\xE4" "chsten E\n");
  EXPECT_EQ(ack("records clear"), "OK: 0 Datens\xE4tze f\xFCr die n\xE4" "chsten E\n");
  EXPECT_EQ(session.faults.Remaining(), 3u);
  // What changes nothing says nothing beyond its own line.
  console.log_.clear();
  EXPECT_EQ(ack("mark Schritt 2"), "");
  EXPECT_EQ(ack("help"), "");
  EXPECT_EQ(console.log_.substr(0, 17), "Marke: Schritt 2\n");
}

TEST_F(Commands, ARequestThatCannotBeQueuedSaysSo) {
  // A program waiting for "OK" is never left waiting: a dropped request
  // says that it was dropped.
  EXPECT_EQ(ExecuteCommandLine(session, "A 5"), "OK: Anfrage A005\n");
  console.log_.clear();
  EXPECT_EQ(ExecuteCommandLine(session, "B 7"), "");
  EXPECT_EQ(console.log_,
            "Befehl nicht ausgef\xFChrt: \"B 7\" - eine Anfrage wartet noch auf die "
            "Schnittstelle (help zeigt die Befehle)\n");
  EXPECT_STREQ(session.pending.text, "A005");
}

TEST_F(Commands, QuitAndHelp) {
  Run("help");
  EXPECT_EQ(console.log_,
            "Befehle:\n"
            "  A <Kellner>\n  B <Kellner>\n  C <Kellner>\n  W <Kellner> <0|1>\n"
            "  T <Kellner> <Tisch> <0|1>\n  K <St\xFC" "ckzahl> <PLU>\n  S <St\xFC" "ckzahl> <PLU>\n"
            "  Q <St\xFC" "ckzahl> <Kellner> <PLU>\n  q <St\xFC" "ckzahl> <Kellner> <PLU>\n"
            "  @ <Tisch> <Kellner>\n  E\n"
            "  <Option> on|off   Optionen: Checksum Waiter3 CreditQuantity AutoAnswer AnswerOk "
            "AutoQuery SendRecord\n"
            "  ISB <Kellner> <PLU> <Tisch>\n"
            "  port <n>          COMn aus der Liste w\xE4hlen (0 = leerer Eintrag)\n"
            "  answer next R|F|none|bad-check|delay <ms>|short [count <n>]\n"
            "                    die n\xE4" "chsten n Nachrichten so beantworten, dann wieder nach "
            "den Optionen\n"
            "  records <Kellner> <PLU> <Tisch> ...   Datens\xE4tze f\xFCr die n\xE4" "chsten E, dann "
            "Nullen\n"
            "  records clear     die Datens\xE4tze verwerfen\n"
            "  mark <Text>       eine Markierung im Protokoll\n"
            "  help\n  quit\n");
  EXPECT_FALSE(session.quit_requested);
  Run("quit");
  EXPECT_TRUE(session.quit_requested);
}

TEST_F(Commands, PortChoosesAnEntryOfTheList) {
  // The list holds "", COM1, COM3, COM12; choosing reopens through the port layer.
  session.port.reset();
  Run("port 0");
  EXPECT_EQ(panel.ComboSelection(), 0);
  EXPECT_EQ(session.settings.port, 0u);
  EXPECT_NE(console.log_.find("CreateFile (COM0) failed with error"), std::string::npos);
}

}  // namespace
}  // namespace tapix
