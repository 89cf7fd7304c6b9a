// The window's command dispatch shared by every front end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/control_ids.h"
#include "app/tap.h"
#include "app/traffic_log.h"
#include "app/window_commands.h"
#include "session_fixture.h"

namespace tapix {
namespace {

struct WindowCommands : ::testing::Test, testing::SessionFixture {
  WindowCommands() { InitWindow(session, panel); }
};

TEST_F(WindowCommands, InitTicksTheBoxesOfTheFlagsThatStartAtOne) {
  EXPECT_TRUE(panel.IsChecked(ctl::AutoAnswer));
  EXPECT_TRUE(panel.IsChecked(ctl::AnswerOk));
  for (int box : {ctl::Checksum, ctl::Waiter3, ctl::CreditQuantity, ctl::AutoQuery, ctl::SendRecord})
    EXPECT_FALSE(panel.IsChecked(box)) << box;
  EXPECT_EQ(session.window, &panel);
  EXPECT_EQ(panel.ComboEntries().at(0).text, "");
}

TEST_F(WindowCommands, BoxesCopyTheirStateAndFlagBoxesOfRequestsDoNot) {
  panel.SetChecked(ctl::Waiter3, true);
  OnCommand(session, ctl::Waiter3);
  EXPECT_EQ(session.options.Waiter3, 1u);
  panel.SetChecked(ctl::AnswerOk, false);
  OnCommand(session, ctl::AnswerOk);
  EXPECT_EQ(session.options.AnswerOk, 0u);
  const OptionFlags before = session.options;
  panel.SetChecked(ctl::BoxWFlag, true);
  OnCommand(session, ctl::BoxWFlag);
  OnCommand(session, ctl::Cancel);
  EXPECT_EQ(std::memcmp(&before, &session.options, sizeof before), 0);
  EXPECT_FALSE(session.quit_requested);
  OnCommand(session, ctl::Exit);
  EXPECT_TRUE(session.quit_requested);
}

TEST_F(WindowCommands, ConfigurationReplacesTheWholeDcbOnlyOnOk) {
  int shown = 0;
  std::string named;
  bool confirm = false;
  session.configure_dialog = [&](std::string_view name, DCB& dcb) {
    ++shown;
    named = name;
    if (!confirm) return false;
    InitDcb(dcb, 19200, NOPARITY, 7, TWOSTOPBITS);
    dcb.DCBlength = 0;  // whatever the dialog leaves there, the record keeps its size
    return true;
  };
  const DCB before = session.settings.dcb;
  ConfigurePort(session, 0);  // the empty entry: no dialog
  EXPECT_EQ(shown, 0);
  ConfigurePort(session, 12);  // cancelled
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(named, "COM12");
  EXPECT_EQ(std::memcmp(&before, &session.settings.dcb, sizeof before), 0);
  confirm = true;
  ConfigurePort(session, 3);
  EXPECT_EQ(session.settings.dcb.BaudRate, 19200u);
  EXPECT_EQ(session.settings.dcb.DCBlength, 28u);
  EXPECT_EQ(device->state_.BaudRate, 19200u);  // applied to the open port at once
  EXPECT_EQ(session.settings.port, 1u);        // the port number is not touched
}

TEST_F(WindowCommands, OnlySettingsTheOpenPortTookAreRemembered) {
  session.accepted = session.settings;  // as loaded at start
  session.configure_dialog = [](std::string_view, DCB& dcb) {
    InitDcb(dcb, 57600, ODDPARITY, 7, TWOSTOPBITS);
    return true;
  };
  device->refuse_state_ = true;
  ConfigurePort(session, 1);
  EXPECT_EQ(session.settings.dcb.BaudRate, 57600u);  // kept for the next open
  EXPECT_EQ(session.accepted.dcb.BaudRate, 9600u) << "a refused setting would be saved";
  device->refuse_state_ = false;
  ConfigurePort(session, 1);
  EXPECT_EQ(session.accepted.dcb.BaudRate, 57600u);
  EXPECT_EQ(session.accepted.dcb.StopBits, TWOSTOPBITS);

  // Without a port nothing is taken over, whatever the settings say.
  session.port.reset();
  session.settings.port = 9;
  RememberAccepted(session);
  EXPECT_EQ(session.accepted.port, 1u);
}

TEST_F(WindowCommands, DuringATapTheBoxesSetTheDecodersFlagsAndThePortStays) {
  auto kasse = std::make_unique<testing::ScriptedDevice>();
  auto isb = std::make_unique<testing::ScriptedDevice>();
  kasse->Feed("A005t");
  testing::ScriptedDevice* to_isb = isb.get();
  Tap tap(std::move(kasse), std::move(isb), true, session.options,
          [this](TrafficBatch& events) { Publish(session, events); });
  session.port.reset();
  session.tap = &tap;
  panel.SetChecked(ctl::Checksum, true);
  OnCommand(session, ctl::Checksum);
  tap.Pump(Tap::Register, ByteTime::Now());
  EXPECT_EQ(console.log_, std::string(kFromRegister) + "A005t\n");
  EXPECT_EQ(to_isb->written_, "A005t");
  // Choosing a port in the window would open a third one and answer on it.
  panel.ComboSelect(1);
  OnCommand(session, ctl::PortCombo);
  EXPECT_FALSE(session.port);
  EXPECT_NE(console.log_.find("Beim Mith\xF6ren bleiben die Schnittstellen fest."), std::string::npos);
  EXPECT_EQ(console.log_.find("CreateFile"), std::string::npos);
  session.tap = nullptr;
}

}  // namespace
}  // namespace tapix
