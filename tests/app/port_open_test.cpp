// Opening, reporting and reselecting the port on a pseudo-terminal pair.
#include "app/port_open.h"
#include "serial/port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "fake_console.h"
#include "fake_device.h"
#include "pty_pair.h"
#include "serial/port_map.h"

namespace tapix {
namespace {

using testing::CaptureConsole;
using testing::PtyPair;

// Port numbers of the tests, far from what the machine's devices get.
constexpr std::uint32_t kPort = 41;
constexpr std::uint32_t kOtherPort = 42;

std::string FailureLine(std::uint32_t port, int code) {
  return "CreateFile (COM" + std::to_string(port) + ") failed with error " + std::to_string(code) +
         " - " + std::strerror(code) + "\n\n";
}

struct PortTest : ::testing::Test {
  void SetUp() override {
    session_.console = &console_;
    ASSERT_TRUE(pty_.Ok());
    ProcessPortMap().SetExplicit(kPort, pty_.SlavePath());
    SetDefaults(settings_);
    settings_.port = kPort;
  }
  void TearDown() override {
    ClosePort(handle_);
    ProcessPortMap().RemoveExplicit(kPort);
    ProcessPortMap().RemoveExplicit(kOtherPort);
  }
  // Reselects port n as the window's port list does.
  void Reselect(std::uint32_t n) {
    session_.settings = settings_;
    session_.port = std::move(handle_);
    ReselectPort(session_, n);
    settings_ = session_.settings;
    handle_ = std::move(session_.port);
  }

  PtyPair pty_;
  PortSettings settings_{};
  std::unique_ptr<SerialDevice> handle_;
  CaptureConsole console_;
  Session session_;
};

struct Opened final : TrafficObserver {
  void OnTraffic(const TrafficEvent& event) override {
    if (event.kind == TrafficKind::Opened) ports.push_back(event.port);
  }
  std::vector<std::uint32_t> ports;
};

TEST_F(PortTest, SuccessLineEventAndTimeoutsSet) {
  Opened opened;
  session_.observers.push_back(&opened);
  OpenAndReport(session_, settings_, handle_);
  ASSERT_TRUE(handle_);
  EXPECT_EQ(console_.log_, "CreateFile (COM41) succeeded\n");
  EXPECT_EQ(opened.ports, std::vector<std::uint32_t>{kPort});
  const CommTimeouts t = handle_->GetTimeouts();
  EXPECT_EQ(t.ReadIntervalTimeout, 100u);
  EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 100u);
  // The opened line carries bytes both ways.
  EXPECT_EQ(handle_->Write("E", 1), 1u);
  EXPECT_EQ(pty_.Receive(1), "E");
}

TEST_F(PortTest, SecondOpenOfAHeldPortFailsBusy) {
  OpenAndReport(session_, settings_, handle_);
  ASSERT_TRUE(handle_);
  std::unique_ptr<SerialDevice> second;
  CaptureConsole console;
  Session other;
  other.console = &console;
  OpenAndReport(other, settings_, second);
  EXPECT_FALSE(second);
  EXPECT_EQ(console.log_, FailureLine(kPort, EBUSY));
  // The same device under another number is the same device.
  ProcessPortMap().SetExplicit(kOtherPort, pty_.SlavePath());
  EXPECT_FALSE(OpenPort(kOtherPort, settings_.dcb));
  EXPECT_EQ(GetLastErrorCode(), EBUSY);
}

TEST_F(PortTest, PortWithoutDeviceFailsNoEntry) {
  settings_.port = 0;
  OpenAndReport(session_, settings_, handle_);
  EXPECT_FALSE(handle_);
  EXPECT_EQ(console_.log_, FailureLine(0, ENOENT));
  EXPECT_EQ(console_.log_, "CreateFile (COM0) failed with error 2 - No such file or directory\n\n");
}

TEST_F(PortTest, RefusedSettingsKeepTheirErrorAndReleaseTheDevice) {
  settings_.dcb.ByteSize = 9;
  SetLastErrorCode(0);
  EXPECT_FALSE(Open(settings_));
  EXPECT_EQ(GetLastErrorCode(), EINVAL);
  EXPECT_EQ(RefusedField(), LineField::DataBits);
  OpenAndReport(session_, settings_, handle_);
  // The failure line keeps its form; one more line names the field.
  EXPECT_EQ(console_.log_, FailureLine(kPort, EINVAL) + "Vom Ger\xE4t abgelehnt: Daten-Bits 9\n");

  console_.log_.clear();
  settings_.dcb.ByteSize = 8;
  settings_.dcb.StopBits = ONE5STOPBITS;  // "1,9600,E,8,1.5"
  OpenAndReport(session_, settings_, handle_);
  EXPECT_FALSE(handle_);
  EXPECT_EQ(console_.log_, FailureLine(kPort, EINVAL) +
                               "Vom Ger\xE4t abgelehnt: Stop-Bits 1.5 (nur mit 5 Daten-Bits)\n");

  // A failure that is not a refused setting names no field.
  console_.log_.clear();
  settings_.dcb.StopBits = ONESTOPBIT;
  OpenAndReport(session_, settings_, handle_);  // opens: nothing stays from before
  ASSERT_TRUE(handle_);
  EXPECT_EQ(RefusedField(), LineField::None);
  ClosePort(handle_);
  console_.log_.clear();
  settings_.port = 0;
  OpenAndReport(session_, settings_, handle_);
  EXPECT_EQ(console_.log_, FailureLine(0, ENOENT));
  settings_.port = kPort;
  handle_ = Open(settings_);  // the failed opens left nothing held
  EXPECT_TRUE(handle_);
}

TEST_F(PortTest, ReselectingTheOpenPortClosesAndOpensAgain) {
  OpenAndReport(session_, settings_, handle_);
  ASSERT_TRUE(handle_);
  Reselect(kPort);
  EXPECT_TRUE(handle_);
  EXPECT_EQ(console_.log_, "CreateFile (COM41) succeeded\nCreateFile (COM41) succeeded\n");
}

TEST_F(PortTest, ReselectingTheEmptyEntryLeavesNoPort) {
  OpenAndReport(session_, settings_, handle_);
  Reselect(0);
  EXPECT_FALSE(handle_);
  EXPECT_EQ(settings_.port, 0u);
  EXPECT_EQ(console_.log_, "CreateFile (COM41) succeeded\n" + FailureLine(0, ENOENT));
  // The device is free again.
  handle_ = OpenPort(kPort, settings_.dcb);
  EXPECT_TRUE(handle_);
}

}  // namespace
}  // namespace tapix
