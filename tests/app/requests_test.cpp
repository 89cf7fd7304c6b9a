// Host requests: layouts, reductions, the check character, the one slot and
// the query timer.
#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"
#include "app/loop.h"
#include "app/requests.h"
#include "session_fixture.h"

namespace tapix {
namespace {

struct Requests : ::testing::Test, testing::SessionFixture {
  Requests() { UseWindow(); }
  // Presses a button with fresh fields and returns the queued text.
  std::string Press(int id, std::initializer_list<std::pair<int, const char*>> fields = {}) {
    for (auto [field, text] : fields) panel.SetFieldText(field, text);
    session.pending.SendPending = 0;
    HostCommand(session, id);
    EXPECT_EQ(session.pending.SendPending, 1u);
    return session.pending.text;
  }
};

TEST_F(Requests, WaiterCommands) {
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, "5"}}), "A005");
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, "200"}}), "A072");
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, "128"}}), "A000");
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, ""}}), "A000");
  EXPECT_EQ(Press(ctl::BtnB, {{ctl::FieldBWaiter, "-1"}}), "B127");
  EXPECT_EQ(Press(ctl::BtnC, {{ctl::FieldCWaiter, "2147483648"}}), "C000");  // out of range
  EXPECT_EQ(Press(ctl::BtnC, {{ctl::FieldCWaiter, "2147483647"}}), "C127");
  panel.SetChecked(ctl::BoxWFlag, true);
  EXPECT_EQ(Press(ctl::BtnW, {{ctl::FieldWWaiter, "51"}}), "W0511");
  panel.SetChecked(ctl::BoxWFlag, false);
  EXPECT_EQ(Press(ctl::BtnW, {{ctl::FieldWWaiter, "51"}}), "W0510");
  panel.SetChecked(ctl::BoxTFlag, true);
  EXPECT_EQ(Press(ctl::BtnT, {{ctl::FieldTWaiter, "12"}, {ctl::FieldTTable, "45"}}), "T0120451");
  EXPECT_EQ(Press(ctl::BtnT, {{ctl::FieldTWaiter, "12"}, {ctl::FieldTTable, "1045"}}), "T0120451");
  EXPECT_EQ(Press(ctl::BtnT, {{ctl::FieldTWaiter, "-1"}, {ctl::FieldTTable, "-1"}}), "T1272951");
}

TEST_F(Requests, CreditCommandsFollowCreditQuantity) {
  EXPECT_EQ(Press(ctl::BtnK, {{ctl::FieldKPlu, "9999"}}), "K1743");
  EXPECT_EQ(Press(ctl::BtnS, {{ctl::FieldSPlu, "-1"}}), "S6207");
  EXPECT_EQ(Press(ctl::BtnQ, {{ctl::FieldQWaiter, "5"}, {ctl::FieldQPlu, "123"}}), "Q0050123");
  EXPECT_EQ(Press(ctl::BtnLowerQ, {{ctl::FieldqWaiter, "5"}, {ctl::FieldqPlu, "123"}}), "q0050123");
  session.options.CreditQuantity = 1;
  EXPECT_EQ(Press(ctl::BtnK, {{ctl::FieldKQuantity, "123"}, {ctl::FieldKPlu, "8256"}}), "K00230000");
  EXPECT_EQ(Press(ctl::BtnS, {{ctl::FieldSQuantity, "-1"}, {ctl::FieldSPlu, "1"}}), "S00950001");
  EXPECT_EQ(Press(ctl::BtnQ, {{ctl::FieldQQuantity, "23"}, {ctl::FieldQWaiter, "5"},
                              {ctl::FieldQPlu, "123"}}),
            "Q00230050123");
  EXPECT_EQ(Press(ctl::BtnLowerQ, {{ctl::FieldqQuantity, "150"}, {ctl::FieldqWaiter, "200"},
                                   {ctl::FieldqPlu, "9000"}}),
            "q00500720744");
}

TEST_F(Requests, TableOccupancyFollowsWaiter3Only) {
  EXPECT_EQ(Press(ctl::BtnAt, {{ctl::FieldAtTable, "12"}, {ctl::FieldAtWaiter, "123"}}), "@01223");
  session.options.Waiter3 = 1;
  EXPECT_EQ(Press(ctl::BtnAt, {{ctl::FieldAtTable, "12"}, {ctl::FieldAtWaiter, "123"}}), "@012123");
  EXPECT_EQ(Press(ctl::BtnAt, {{ctl::FieldAtTable, "12"}, {ctl::FieldAtWaiter, "200"}}), "@012072");
  // Every other request keeps three waiter digits whatever Waiter3 says.
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, "5"}}), "A005");
}

TEST_F(Requests, CheckCharacterFollowsTheBoxAndNeverGoesOnE) {
  panel.SetChecked(ctl::Checksum, true);
  EXPECT_EQ(Press(ctl::BtnA, {{ctl::FieldAWaiter, "5"}}), "A005t");
  EXPECT_EQ(Press(ctl::BtnE), "E");
}

TEST_F(Requests, ClickWhilePendingIsDropped) {
  panel.SetFieldText(ctl::FieldAWaiter, "5");
  HostCommand(session, ctl::BtnA);
  panel.SetFieldText(ctl::FieldBWaiter, "7");
  HostCommand(session, ctl::BtnB);
  HostCommand(session, ctl::BtnE);
  EXPECT_STREQ(session.pending.text, "A005");
  SendPending(session);
  EXPECT_EQ(device->written_, "A005");
  EXPECT_EQ(console.echo_, "A005\n");
  EXPECT_EQ(session.pending.SendPending, 0u);
  HostCommand(session, ctl::BtnB);
  EXPECT_STREQ(session.pending.text, "B007");
}

TEST_F(Requests, QueryTimer) {
  QueryTick(session);
  EXPECT_EQ(session.pending.SendPending, 0u);  // AutoQuery off
  session.options.AutoQuery = 1;
  auto closed = std::move(session.port);  // no port open: the first tick's "E" waits
  QueryTick(session);
  EXPECT_STREQ(session.pending.text, "E");
  panel.SetFieldText(ctl::FieldAWaiter, "5");
  HostCommand(session, ctl::BtnA);
  QueryTick(session);
  SendPending(session);  // nothing without a port
  EXPECT_STREQ(session.pending.text, "E");
  EXPECT_EQ(session.pending.SendPending, 1u);
  session.port = std::move(closed);
  SendPending(session);
  EXPECT_EQ(device->written_, "E");
}

TEST_F(Requests, PollPassOrdersAnswerBeforeRequest) {
  panel.SetFieldText(ctl::FieldAWaiter, "5");
  HostCommand(session, ctl::BtnA);
  device->Feed("B001");
  PollPass(session);
  EXPECT_EQ(device->written_, "RA005");
  EXPECT_EQ(console.all_, "B001\nR\nA005\n");
  EXPECT_EQ(device->clears_, 1);
}

TEST_F(Requests, ShortWriteOfARequestIsReportedAndDropped) {
  device->write_limit_ = 2;
  panel.SetFieldText(ctl::FieldAWaiter, "5");
  HostCommand(session, ctl::BtnA);
  SendPending(session);
  EXPECT_EQ(console.all_, "A0 timeout (A005)\n");
  EXPECT_EQ(session.pending.SendPending, 0u);
}

TEST_F(Requests, NonCommandIdsLeaveTheSlotAlone) {
  HostCommand(session, ctl::Checksum);
  HostCommand(session, 4711);
  EXPECT_EQ(session.pending.SendPending, 0u);
}

}  // namespace
}  // namespace tapix
