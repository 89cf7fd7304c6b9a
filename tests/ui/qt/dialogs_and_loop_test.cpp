// The port selection dialog, the port configuration dialog, and the loop of
// the Qt front end: port input, hang-up, command lines, stop signals, quit.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>

#include <QComboBox>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QDialog>
#include <QTimer>
#include <QPushButton>

#include "app/control_ids.h"
#include "platform/signals.h"
#include "ui/qt/port_combo.h"
#include "ui/qt/port_config_dialog.h"
#include "ui/qt/port_dialog.h"
#include "ui/qt/qt_frontend.h"
#include "pipe_device.h"
#include "window_fixture.h"
#include "numbered_ports.h"

namespace tapix {
namespace {

struct PortDialogTest : ::testing::Test {
  PortDialogTest() {
    SetDefaults(session.settings);
    session.settings.port = 0;
    session.console = &console;
  }
  testing::CaptureConsole console;
  Session session;
};

TEST_F(PortDialogTest, PreselectsCom1AndOkTakesIt) {
  PortDialog dialog(session);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Schnittstelle"));
  session.port_choices.Fill(1, testing::NumberedPorts({1, 3}));
  EXPECT_EQ(dialog.combo()->currentText(), QStringLiteral("COM1"));
  EXPECT_TRUE(dialog.ok_button()->isDefault());
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Return);  // Enter is OK
  EXPECT_EQ(dialog.Choice(), PortChoice::Chosen);
  EXPECT_EQ(session.settings.port, 1u);
  EXPECT_EQ(console.log_, "");  // choosing opens nothing
}

TEST_F(PortDialogTest, OkWithoutCom1OrAChoiceGivesPortZero) {
  PortDialog dialog(session);
  session.settings.port = 7;
  session.port_choices.Fill(1, testing::NumberedPorts({3}));
  EXPECT_EQ(dialog.combo()->currentIndex(), -1);
  dialog.ok_button()->click();
  EXPECT_EQ(dialog.Choice(), PortChoice::Chosen);
  EXPECT_EQ(session.settings.port, 0u);
}

TEST_F(PortDialogTest, TheChosenEntryCountsOnlyOnOk) {
  PortDialog dialog(session);
  session.port_choices.Fill(1, testing::NumberedPorts({1, 3, 12}));
  dialog.combo()->setCurrentIndex(3);
  EXPECT_EQ(session.settings.port, 0u);
  dialog.ok_button()->click();
  EXPECT_EQ(session.settings.port, 12u);
}

TEST_F(PortDialogTest, EnterOnATypedPortIsOkAndAPickInTheListOnlySelects) {
  PortDialog dialog(session);
  session.port_choices.Fill(1, testing::NumberedPorts({1, 3, 12}));
  dialog.show();
  PortCombo* combo = dialog.combo();
  combo->showPopup();
  combo->view()->setCurrentIndex(combo->view()->model()->index(3, 0));
  QTest::keyClick(combo->view(), Qt::Key_Return);
  EXPECT_EQ(combo->currentIndex(), 3);
  EXPECT_TRUE(dialog.isVisible());
  combo->lineEdit()->setText(QStringLiteral("COM7"));  // not in the list
  QTest::keyClick(combo, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  combo->lineEdit()->setText(QStringLiteral("com3"));
  QTest::keyClick(combo, Qt::Key_Return);
  EXPECT_EQ(dialog.Choice(), PortChoice::Chosen);
  EXPECT_EQ(session.settings.port, 3u);
  EXPECT_EQ(console.log_, "");
}

TEST_F(PortDialogTest, CancelEscapeAndCloseEndWithTwoAndChangeNothing) {
  session.settings.port = 5;
  {
    PortDialog dialog(session);
    dialog.cancel_button()->click();
    EXPECT_EQ(dialog.Choice(), PortChoice::Cancelled);
  }
  {
    PortDialog dialog(session);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.Choice(), PortChoice::Cancelled);
  }
  {
    PortDialog dialog(session);
    dialog.show();
    dialog.close();
    EXPECT_EQ(dialog.Choice(), PortChoice::Cancelled);
  }
  EXPECT_EQ(session.settings.port, 5u);
}

TEST_F(PortDialogTest, TheListIsLetGoWithTheDialog) {
  { PortDialog dialog(session); }
  EXPECT_EQ(session.port_choices.SelectedPort(), 0u);
}

DCB Defaults() {
  PortSettings settings;
  SetDefaults(settings);
  return settings.dcb;
}

TEST(PortConfigDialogTest, ShowsTheLineSettingsAndReturnsACompleteDcb) {
  DCB dcb = Defaults();
  dcb.XonLim = 2048;
  PortConfigDialog dialog("COM3", dcb);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Eigenschaften von COM3"));
  EXPECT_EQ(dialog.baud()->currentText(), QStringLiteral("9600"));
  EXPECT_EQ(dialog.data_bits()->currentText(), QStringLiteral("8"));
  EXPECT_EQ(dialog.parity()->currentText(), QStringLiteral("Gerade"));
  EXPECT_EQ(dialog.stop_bits()->currentText(), QStringLiteral("1"));
  EXPECT_EQ(dialog.flow()->currentText(), QStringLiteral("Kein"));
  EXPECT_EQ(dialog.baud()->count(), 13);

  // Unchanged, OK gives the same DCB back.
  DCB same = dialog.Result();
  EXPECT_EQ(std::memcmp(&same, &dcb, sizeof dcb), 0);

  dialog.baud()->setCurrentText(QStringLiteral("115200"));
  dialog.data_bits()->setCurrentText(QStringLiteral("7"));
  dialog.parity()->setCurrentText(QStringLiteral("Keine"));
  dialog.stop_bits()->setCurrentText(QStringLiteral("1,5"));
  const DCB out = dialog.Result();
  EXPECT_EQ(out.BaudRate, 115200u);
  EXPECT_EQ(out.ByteSize, 7);
  EXPECT_EQ(out.Parity, NOPARITY);
  EXPECT_EQ(out.fParity, 0u);
  EXPECT_EQ(out.StopBits, ONE5STOPBITS);
  EXPECT_EQ(out.XonLim, 2048);  // what the dialog does not show stays
  EXPECT_EQ(out.fRtsControl, dcb.fRtsControl);
  EXPECT_EQ(out.fDtrControl, dcb.fDtrControl);
}

TEST(PortConfigDialogTest, FlowControlChoices) {
  PortConfigDialog dialog("COM1", Defaults());
  dialog.flow()->setCurrentText(QStringLiteral("Hardware"));
  DCB hw = dialog.Result();
  EXPECT_EQ(hw.fOutxCtsFlow, 1u);
  EXPECT_EQ(hw.fRtsControl, RTS_CONTROL_HANDSHAKE);
  EXPECT_EQ(hw.fOutX + hw.fInX, 0u);
  EXPECT_EQ(PortConfigDialog::FlowOf(hw), PortConfigDialog::Flow::Hardware);

  dialog.flow()->setCurrentText(QStringLiteral("Xon / Xoff"));
  DCB xon = dialog.Result();
  EXPECT_EQ(xon.fOutX, 1u);
  EXPECT_EQ(xon.fInX, 1u);
  EXPECT_EQ(xon.fOutxCtsFlow, 0u);
  EXPECT_EQ(xon.XonChar, 0x11);
  EXPECT_EQ(xon.XoffChar, 0x13);

  PortConfigDialog again("COM1", hw);
  EXPECT_EQ(again.flow()->currentText(), QStringLiteral("Hardware"));
  again.flow()->setCurrentText(QStringLiteral("Kein"));
  DCB none = again.Result();
  EXPECT_EQ(none.fOutxCtsFlow + none.fOutX + none.fInX, 0u);
  EXPECT_EQ(none.fRtsControl, RTS_CONTROL_ENABLE);
}

TEST(PortConfigDialogTest, ARateOutsideTheTableSurvivesOk) {
  DCB dcb = Defaults();
  dcb.BaudRate = 250000;
  PortConfigDialog dialog("COM2", dcb);
  EXPECT_EQ(dialog.baud()->currentText(), QStringLiteral("250000"));
  EXPECT_EQ(dialog.Result().BaudRate, 250000u);
}

struct LoopTest : WindowTest {
  void SetUp() override {
    WindowTest::SetUp();
    auto device = std::make_unique<testing::PipeDevice>();
    line = device.get();
    session.port = std::move(device);
    loop = std::make_unique<QtLoop>(session, *window, nullptr);
  }
  void TearDown() override {
    loop.reset();
    WindowTest::TearDown();
  }
  // A loop that reads command lines from a pipe the test writes to.
  void WithCommands() {
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    loop.reset();
    input = std::make_unique<ConsoleInput>(fds[0]);
    loop = std::make_unique<QtLoop>(session, *window, input.get());
  }
  void TypeCommands(const std::string& text) {
    ASSERT_EQ(::write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  // Runs the event loop until `done` holds.
  template <typename Done>
  bool Until(Done done) {
    return QTest::qWaitFor(done);
  }
  ~LoopTest() override {
    for (int fd : fds)
      if (fd >= 0) ::close(fd);
  }

  testing::PipeDevice* line = nullptr;
  std::unique_ptr<QtLoop> loop;
  int fds[2] = {-1, -1};
  std::unique_ptr<ConsoleInput> input;
};

TEST_F(LoopTest, PortInputIsDispatchedAndAnswered) {
  ASSERT_TRUE(loop->Watching(EventSource::Port));
  line->Feed("A005");
  ASSERT_TRUE(Until([&] { return line->written_ == "R"; }));
  EXPECT_NE(console.log_.find("A005\nR\n"), std::string::npos) << console.log_;
}

TEST_F(LoopTest, AHangUpClosesThePortAndStopsWatchingIt) {
  line->CloseFeed();
  ASSERT_TRUE(Until([&] { return session.port == nullptr; }));
  EXPECT_FALSE(loop->Watching(EventSource::Port));
  EXPECT_NE(console.log_.find("Verbindung unterbrochen"), std::string::npos);
}

TEST_F(LoopTest, AQueuedRequestGoesOutAndAReselectionIsWatched) {
  Type(ctl::FieldAWaiter, "7");
  Button(ctl::BtnA)->click();
  EXPECT_EQ(line->written_, "A007");
  // Choosing the empty entry closes the port: nothing is watched any more.
  window->ComboSelect(0);
  qobject_cast<QComboBox*>(window->Control(ctl::PortCombo))->activated(0);
  EXPECT_EQ(session.port, nullptr);
  EXPECT_FALSE(loop->Watching(EventSource::Port));
}

// The query timer belongs to the loop: a tick queues "E" when AutoQuery is
// on and the slot is free, and it goes out at once.
TEST_F(LoopTest, ATickQueuesTheQueryWhenAutoQueryIsOnAndTheSlotIsFree) {
  loop = std::make_unique<QtLoop>(session, *window, nullptr, 40);
  ASSERT_TRUE(loop->Watching(EventSource::Timer));
  Tick(ctl::AutoQuery);
  ASSERT_TRUE(Until([&] { return line->written_ == "E"; }));
  Tick(ctl::AutoQuery);
  line->written_.clear();
  QTest::qWait(200);
  EXPECT_EQ(line->written_, "") << "no query without AutoQuery";
  Button(ctl::Exit)->click();
  EXPECT_FALSE(loop->Watching(EventSource::Timer)) << "ended like Beenden";
}

TEST_F(LoopTest, CommandLinesRunUntilTheirInputEndsAndTheWindowGoesOn) {
  WithCommands();
  ASSERT_TRUE(loop->Watching(EventSource::Console));
  TypeCommands("B 9\nW 3 0");
  ASSERT_TRUE(Until([&] { return line->written_ == "B009"; }));
  ::close(fds[1]);
  fds[1] = -1;
  // The last line without its line end still counts at the end of input.
  ASSERT_TRUE(Until([&] { return !loop->Watching(EventSource::Console); }));
  EXPECT_EQ(line->written_, "B009W0030");
  EXPECT_FALSE(session.quit_requested);
}

TEST_F(LoopTest, QuitFromTheConsoleEndsTheLoop) {
  WithCommands();
  TypeCommands("quit\n");
  loop->Exec();  // returns once the line has been read
  EXPECT_TRUE(session.quit_requested);
}

TEST_F(LoopTest, AStopSignalEndsTheLoopLikeBeenden) {
  std::raise(SIGTERM);
  loop->Exec();
  EXPECT_TRUE(session.quit_requested);
  EXPECT_FALSE(loop->Watching(EventSource::Timer));
}

TEST_F(LoopTest, NothingIsPolledWhileAModalDialogIsOpen) {
  WithCommands();
  loop->Suspend();
  EXPECT_FALSE(loop->Watching(EventSource::Timer));
  EXPECT_TRUE(loop->Watching(EventSource::Stop)) << "Ctrl+C still ends the program";
  line->Feed("A005");
  TypeCommands("B 1\n");
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(line->written_, "");
  EXPECT_EQ(console.log_, "");
  loop->Resume();
  ASSERT_TRUE(Until([&] { return line->written_.find('R') != std::string::npos; }));
  ASSERT_TRUE(Until([&] { return line->written_.find("B001") != std::string::npos; }));
}

TEST_F(LoopTest, AStopSignalCancelsAnOpenModalDialog) {
  QDialog modal(window.get());
  QTimer::singleShot(0, [] { std::raise(SIGTERM); });
  EXPECT_EQ(modal.exec(), QDialog::Rejected);
  EXPECT_TRUE(session.quit_requested);
}

TEST_F(LoopTest, BeendenEndsTheLoop) {
  QMetaObject::invokeMethod(Button(ctl::Exit), &QPushButton::click, Qt::QueuedConnection);
  loop->Exec();
  EXPECT_TRUE(session.quit_requested);
  loop->Exec();  // with quit asked for, the loop does not start again
}

}  // namespace
}  // namespace tapix
