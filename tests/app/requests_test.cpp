// Host requests from the window: the fields as the window reads them, the
// one slot, the query timer and the write. The table, the requests, the
// receiver's lengths and the console commands agree for every kind and every
// option state.
#include <gtest/gtest.h>

#include <string>

#include "protocol/framer.h"
#include "protocol/messages.h"
#include "app/console_commands.h"
#include "app/control_ids.h"
#include "app/loop.h"
#include "app/requests.h"
#include "app/window_commands.h"
#include "session_fixture.h"

namespace tapix {
namespace {

struct Requests : ::testing::Test, testing::SessionFixture {
  Requests() { UseWindow(); }
  // Presses a button with fresh fields and returns the queued text.
  std::string Press(int id, std::initializer_list<std::pair<int, const char*>> fields = {}) {
    for (auto [field, text] : fields) panel.SetFieldText(field, text);
    session.pending.SendPending = 0;
    OnCommand(session, id);
    EXPECT_EQ(session.pending.SendPending, 1u);
    return session.pending.text;
  }
};

TEST_F(Requests, FieldsAreReadSignedThenTakenAsUnsigned) {
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, "5"}}), "A005");
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, ""}}), "A000");
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, " 12x"}}), "A000");  // rejected text
  EXPECT_EQ(Press(ctl::BtnB, {{ctl::FieldBWaiter, "-1"}}), "B127");
  EXPECT_EQ(Press(ctl::BtnC, {{ctl::FieldCWaiter, "2147483648"}}), "C000");  // out of range
  EXPECT_EQ(Press(ctl::BtnC, {{ctl::FieldCWaiter, "2147483647"}}), "C127");
  EXPECT_EQ(Press(ctl::BtnT, {{ctl::FieldTWaiter, "-1"}, {ctl::FieldTTable, "-1"}}), "T1272950");
  EXPECT_EQ(Press(ctl::BtnS, {{ctl::FieldSPlu, "-1"}}), "S6207");
}

TEST_F(Requests, FlagBoxesAndTheOnScreenOrderOfQ) {
  panel.SetChecked(ctl::BoxWFlag, true);
  EXPECT_EQ(Press(ctl::BtnW, {{ctl::FieldWWaiter, "51"}}), "W0511");
  panel.SetChecked(ctl::BoxWFlag, false);
  EXPECT_EQ(Press(ctl::BtnW, {{ctl::FieldWWaiter, "51"}}), "W0510");
  panel.SetChecked(ctl::BoxTFlag, true);
  EXPECT_EQ(Press(ctl::BtnT, {{ctl::FieldTWaiter, "12"}, {ctl::FieldTTable, "1045"}}), "T0120451");
  // Q's fields lie on screen as quantity 1029, waiter 1031, PLU 1030.
  session.options.CreditQuantity = 1;
  EXPECT_EQ(Press(ctl::BtnQ, {{1029, "23"}, {1031, "5"}, {1030, "123"}}), "Q00230050123");
  EXPECT_EQ(Press(ctl::BtnLowerQ, {{1033, "150"}, {1035, "200"}, {1034, "9000"}}), "q00500720744");
  session.options.Waiter3 = 1;
  EXPECT_EQ(Press(ctl::BtnAt, {{ctl::FieldAtTable, "12"}, {ctl::FieldAtWaiter, "200"}}), "@012072");
}

TEST_F(Requests, CheckCharacterFollowsTheBoxAndNeverGoesOnE) {
  panel.SetChecked(ctl::Checksum, true);  // the sender asks the box
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, "5"}}), "A005t");
  EXPECT_EQ(Press(ctl::BtnE), "E");
  session.window = nullptr;  // without a window the flag answers
  session.options.Checksum = 1;
  EXPECT_EQ(Press(ctl::BtnA), "A000q");
}

TEST_F(Requests, ClickWhilePendingIsDropped) {
  panel.SetFieldText(ctl::FieldAWaiter, "5");
  OnCommand(session, ctl::BtnA);
  panel.SetFieldText(ctl::FieldBWaiter, "7");
  OnCommand(session, ctl::BtnB);
  OnCommand(session, ctl::BtnE);
  EXPECT_STREQ(session.pending.text, "A005");
  SendPending(session);
  EXPECT_EQ(device->written_, "A005");
  EXPECT_EQ(console.echo_, "A005\n");
  EXPECT_EQ(session.pending.SendPending, 0u);
  OnCommand(session, ctl::BtnB);
  EXPECT_STREQ(session.pending.text, "B007");
}

TEST_F(Requests, QueryTimer) {
  OnTimer(session);
  EXPECT_EQ(session.pending.SendPending, 0u);  // AutoQuery off
  session.options.AutoQuery = 1;
  auto closed = std::move(session.port);  // no port open: the first tick's "E" waits
  OnTimer(session);
  EXPECT_STREQ(session.pending.text, "E");
  panel.SetFieldText(ctl::FieldAWaiter, "5");
  OnCommand(session, ctl::BtnA);
  OnTimer(session);
  SendPending(session);  // nothing without a port
  EXPECT_STREQ(session.pending.text, "E");
  EXPECT_EQ(session.pending.SendPending, 1u);
  session.port = std::move(closed);
  SendPending(session);
  EXPECT_EQ(device->written_, "E");
}

TEST_F(Requests, ReadPortOrdersAnswerBeforeRequest) {
  panel.SetFieldText(ctl::FieldAWaiter, "5");
  OnCommand(session, ctl::BtnA);
  device->Feed("B001");
  ReadPort(session);
  EXPECT_EQ(device->written_, "RA005");
  EXPECT_EQ(console.all_, "B001\nR\nA005\n");
  EXPECT_EQ(device->clears_, 1);
}

TEST_F(Requests, AShortWriteEndsItsLogLineWithoutTheEcho) {
  device->write_limit_ = 2;
  panel.SetFieldText(ctl::FieldAWaiter, "5");
  OnCommand(session, ctl::BtnA);
  SendPending(session);
  // The terminal shows the echo and the time-out on one line; the log, which
  // has no echo, still gets a whole line.
  EXPECT_EQ(console.all_, "A0 timeout (A005)\n");
  EXPECT_EQ(console.log_, " timeout (A005)\n");
  EXPECT_EQ(console.sent_, "A0\n");
  EXPECT_EQ(session.pending.SendPending, 0u);
  device->write_limit_ = 0;
  OnCommand(session, ctl::BtnB);
  SendPending(session);
  EXPECT_EQ(console.log_, " timeout (A005)\n timeout (B000)\n");
}

TEST_F(Requests, NonCommandIdsLeaveTheSlotAlone) {
  for (int id : {ctl::Checksum, ctl::BoxWFlag, ctl::FieldAWaiter, ctl::IsbWaiter, 4711, 0})
    OnCommand(session, id);
  EXPECT_EQ(session.pending.SendPending, 0u);
}

// For every kind with a button and every state of the options that shape a
// message: the console command fills the fields in message order, the button
// composes the request, and the receiver on the other end reads exactly that
// request as one whole message with a good check character.
TEST_F(Requests, ConsoleRequestAndReceiverAgreeForEveryKindAndOptionState) {
  for (int state = 0; state < 8; ++state) {
    const bool check = state & 1, waiter3 = state & 2, quantity = state & 4;
    for (const MessageSpec& m : kMessages) {
      if (!m.button) continue;
      SCOPED_TRACE(std::string(m.name) + " state " + std::to_string(state));
      session.options.Checksum = check;
      session.options.Waiter3 = waiter3;
      session.options.CreditQuantity = quantity;
      panel.SetChecked(ctl::Checksum, check);
      std::string line = m.command;
      const char* numbers[] = {"201", "-1", "9000"};
      for (std::size_t i = 0; i < m.Fields().size(); ++i)
        line += std::string(" ") + (m.Fields()[i].IsFlag() ? "1" : numbers[i]);
      session.pending.SendPending = 0;
      ExecuteCommandLine(session, line);
      ASSERT_EQ(session.pending.SendPending, 1u) << line;
      const std::string request = session.pending.text;
      EXPECT_EQ(request[0], m.first);
      EXPECT_EQ(request.size(), 1 + RestLength(m, session.options, check));

      // The same request, received by a program with the same options.
      console.log_.clear();
      session.options.AutoAnswer = 0;
      Receive(request);
      EXPECT_EQ(console.log_, request + "\n");
      session.options.AutoAnswer = 1;
    }
  }
}

}  // namespace
}  // namespace tapix
