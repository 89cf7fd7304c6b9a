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

TEST_F(Commands, MissingTrailingNumbersKeepTheirFields) {
  Run("T 12 45 1");
  EXPECT_EQ(Run("T 7"), "T0070451");
  EXPECT_EQ(Run("T"), "T0070451");
  EXPECT_EQ(panel.FieldText(ctl::FieldTWaiter), "7");
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
  Run("isb 1 2");  // the word in either case; fewer numbers leave the rest
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
