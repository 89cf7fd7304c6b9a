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
#include "window_fixture.h"

namespace tapix {
namespace {

class PortDialogTest : public ::testing::Test {
 protected:
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
  session.port_list.Fill(1, {1, 3});
  EXPECT_EQ(dialog.combo()->currentText(), QStringLiteral("COM1"));
  EXPECT_TRUE(dialog.ok_button()->isDefault());
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Return);  // Enter is OK
  EXPECT_EQ(dialog.result(), PortDialog::kOk);
  EXPECT_EQ(session.settings.port, 1u);
  EXPECT_EQ(console.log_, "");  // choosing opens nothing
}

TEST_F(PortDialogTest, OkWithoutCom1OrAChoiceGivesPortZero) {
  PortDialog dialog(session);
  session.settings.port = 7;
  session.port_list.Fill(1, {3});
  EXPECT_EQ(dialog.combo()->currentIndex(), -1);
  dialog.ok_button()->click();
  EXPECT_EQ(dialog.result(), PortDialog::kOk);
  EXPECT_EQ(session.settings.port, 0u);
}

TEST_F(PortDialogTest, TheChosenEntryCountsOnlyOnOk) {
  PortDialog dialog(session);
  session.port_list.Fill(1, {1, 3, 12});
  dialog.combo()->setCurrentIndex(3);
  EXPECT_EQ(session.settings.port, 0u);
  dialog.ok_button()->click();
  EXPECT_EQ(session.settings.port, 12u);
}

TEST_F(PortDialogTest, EnterOnATypedPortIsOkAndAPickInTheListOnlySelects) {
  PortDialog dialog(session);
  session.port_list.Fill(1, {1, 3, 12});
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
  EXPECT_EQ(dialog.result(), PortDialog::kOk);
  EXPECT_EQ(session.settings.port, 3u);
  EXPECT_EQ(console.log_, "");
}

TEST_F(PortDialogTest, CancelEscapeAndCloseEndWithTwoAndChangeNothing) {
  session.settings.port = 5;
  {
    PortDialog dialog(session);
    dialog.cancel_button()->click();
    EXPECT_EQ(dialog.result(), PortDialog::kCancel);
  }
  {
    PortDialog dialog(session);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), PortDialog::kCancel);
  }
  {
    PortDialog dialog(session);
    dialog.show();
    dialog.close();
    EXPECT_EQ(dialog.result(), PortDialog::kCancel);
  }
  EXPECT_EQ(session.settings.port, 5u);
}

TEST_F(PortDialogTest, TheListIsLetGoWithTheDialog) {
  { PortDialog dialog(session); }
  EXPECT_EQ(session.port_list.SelectedPort(), 0u);
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

// A device fed through a pipe: the read end is what the loop waits on, and
// the closed write end is a hang-up.
class PipeDevice final : public SerialDevice {
 public:
  PipeDevice() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
      read_fd_ = fds[0];
      write_fd_ = fds[1];
    }
  }
  ~PipeDevice() override {
    ::close(read_fd_);
    CloseFeed();
  }
  void Feed(const std::string& bytes) {
    EXPECT_EQ(::write(write_fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void CloseFeed() {
    if (write_fd_ >= 0) ::close(write_fd_);
    write_fd_ = -1;
  }
  std::size_t Read(void* buffer, std::size_t n) override {
    const ssize_t got = ::read(read_fd_, buffer, n);
    if (got == 0) hung_up_ = true;
    return got > 0 ? static_cast<std::size_t>(got) : 0;
  }
  std::size_t Write(const void* data, std::size_t n) override {
    written_.append(static_cast<const char*>(data), n);
    return n;
  }
  void ClearErrors() override {}
  bool SetState(const DCB&) override { return true; }
  CommTimeouts GetTimeouts() const override { return {}; }
  void SetTimeouts(const CommTimeouts&) override {}
  WaitHandle InputWaitHandle() override { return read_fd_; }
  bool InputWaiting() const override {
    pollfd p{read_fd_, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0;
  }
  bool HungUp() const override { return hung_up_; }

  std::string written_;

 private:
  int read_fd_ = -1;
  int write_fd_ = -1;
  bool hung_up_ = false;
};

class LoopTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    auto device = std::make_unique<PipeDevice>();
    line = device.get();
    session.port = std::move(device);
    loop = std::make_unique<QtLoop>(session, *window);
    loop->WatchPort();
  }
  void TearDown() override {
    loop.reset();
    WindowTest::TearDown();
  }
  // Runs the event loop until `done` holds.
  template <typename Done>
  bool Until(Done done) {
    return QTest::qWaitFor(done);
  }

  PipeDevice* line = nullptr;
  std::unique_ptr<QtLoop> loop;
};

TEST_F(LoopTest, PortInputIsDispatchedAndAnswered) {
  ASSERT_TRUE(loop->WatchingPort());
  line->Feed("A005");
  ASSERT_TRUE(Until([&] { return line->written_ == "R"; }));
  EXPECT_NE(console.log_.find("A005\nR\n"), std::string::npos) << console.log_;
}

TEST_F(LoopTest, AHangUpClosesThePortAndStopsWatchingIt) {
  line->CloseFeed();
  ASSERT_TRUE(Until([&] { return session.port == nullptr; }));
  EXPECT_FALSE(loop->WatchingPort());
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
  EXPECT_FALSE(loop->WatchingPort());
}

TEST_F(LoopTest, CommandLinesRunUntilTheirInputEndsAndTheWindowGoesOn) {
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
  loop->WatchCommands(fds[0]);
  ASSERT_EQ(::write(fds[1], "B 9\nW 3", 7), 7);
  ASSERT_TRUE(Until([&] { return line->written_ == "B009"; }));
  ::close(fds[1]);
  // The last line without its line end still counts at the end of input.
  ASSERT_TRUE(Until([&] { return !loop->WatchingCommands(); }));
  EXPECT_EQ(line->written_, "B009W0030");
  EXPECT_FALSE(session.quit_requested);
  ::close(fds[0]);
}

TEST_F(LoopTest, QuitFromTheConsoleEndsTheLoop) {
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
  loop->WatchCommands(fds[0]);
  ASSERT_EQ(::write(fds[1], "quit\n", 5), 5);
  loop->Exec();  // returns once the line has been read
  EXPECT_TRUE(session.quit_requested);
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST_F(LoopTest, AStopSignalEndsTheLoopLikeBeenden) {
  loop->WatchStopSignals(InstallStopSignals());
  std::raise(SIGTERM);
  loop->Exec();
  EXPECT_TRUE(session.quit_requested);
  EXPECT_FALSE(window->QueryTimer().isActive());
}

TEST_F(LoopTest, NothingIsPolledWhileAModalDialogIsOpen) {
  int fds[2];
  ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
  loop->WatchCommands(fds[0]);
  loop->Suspend();
  line->Feed("A005");
  ASSERT_EQ(::write(fds[1], "B 1\n", 4), 4);
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(line->written_, "");
  EXPECT_EQ(console.log_, "");
  loop->Resume();
  ASSERT_TRUE(Until([&] { return line->written_.find('R') != std::string::npos; }));
  ASSERT_TRUE(Until([&] { return line->written_.find("B001") != std::string::npos; }));
  ::close(fds[0]);
  ::close(fds[1]);
}

TEST_F(LoopTest, AStopSignalCancelsAnOpenModalDialog) {
  loop->WatchStopSignals(InstallStopSignals());
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
