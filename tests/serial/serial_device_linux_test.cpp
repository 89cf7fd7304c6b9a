#include "serial/serial_device_linux.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "pty_pair.h"
#include "serial/port.h"
#include "serial/port_settings.h"

namespace tapix {
namespace {

using testing::PtyPair;
using Clock = std::chrono::steady_clock;

// Far longer than any test needs: reaching one of these is a failure.
constexpr std::uint32_t kLong = 60000;
constexpr auto kGenerous = std::chrono::seconds(30);

class PosixDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.Ok());
    device_ = PosixDevice::Open(pty_.SlavePath());
    ASSERT_TRUE(device_);
    DCB dcb;
    InitDcb(dcb, 9600, EVENPARITY, 8, ONESTOPBIT);
    ASSERT_TRUE(device_->SetState(dcb));
  }
  void Timeouts(std::uint32_t interval, std::uint32_t multiplier, std::uint32_t constant) {
    CommTimeouts t;
    t.ReadIntervalTimeout = interval;
    t.ReadTotalTimeoutMultiplier = multiplier;
    t.ReadTotalTimeoutConstant = constant;
    t.WriteTotalTimeoutMultiplier = multiplier;
    t.WriteTotalTimeoutConstant = constant;
    device_->SetTimeouts(t);
  }

  PtyPair pty_;
  std::unique_ptr<PosixDevice> device_;
};

TEST_F(PosixDeviceTest, ReadReturnsAsSoonAsAllCame) {
  Timeouts(kLong, kLong, kLong);
  pty_.Send("A005");
  char buffer[8] = {};
  const auto start = Clock::now();
  EXPECT_EQ(device_->Read(buffer, 4), 4u);
  EXPECT_LT(Clock::now() - start, kGenerous);
  EXPECT_EQ(std::string(buffer, 4), "A005");
}

TEST_F(PosixDeviceTest, ReadReturnsShortAfterAGapLongerThanTheInterval) {
  Timeouts(20, kLong, kLong);  // only the interval can end this read
  pty_.Send("K12");
  char buffer[8] = {};
  const auto start = Clock::now();
  EXPECT_EQ(device_->Read(buffer, 8), 3u);
  EXPECT_LT(Clock::now() - start, kGenerous);
  EXPECT_EQ(std::string(buffer, 3), "K12");
}

TEST_F(PosixDeviceTest, IntervalCountsOnlyAfterTheFirstByte) {
  Timeouts(20, 0, 0);  // no total: waits for the first byte however long
  std::thread sender([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    pty_.Send("xyz");
  });
  char buffer[3] = {};
  EXPECT_EQ(device_->Read(buffer, 3), 3u);
  sender.join();
}

TEST_F(PosixDeviceTest, SilentLineReadsNothingAfterTheTotal) {
  Timeouts(100, 10, 20);
  char byte = 0;
  EXPECT_EQ(device_->Read(&byte, 1), 0u);
  EXPECT_FALSE(device_->HungUp());
  // The line still works afterwards.
  pty_.Send("R");
  Timeouts(100, 100, kLong);
  EXPECT_EQ(device_->Read(&byte, 1), 1u);
  EXPECT_EQ(byte, 'R');
}

TEST_F(PosixDeviceTest, ImmediateReadFormReturnsWhatIsThere) {
  Timeouts(0xFFFFFFFFu, 0, 0);
  char buffer[4] = {};
  EXPECT_EQ(device_->Read(buffer, 4), 0u);
  pty_.Send("ab");
  Timeouts(kLong, kLong, kLong);
  ASSERT_EQ(device_->Read(buffer, 1), 1u);  // wait until the bytes are there
  Timeouts(0xFFFFFFFFu, 0, 0);
  EXPECT_EQ(device_->Read(buffer, 4), 1u);
  EXPECT_EQ(buffer[0], 'b');
}

// The receiver's read: what is waiting, in one call, whatever the time-outs
// say, and never a wait; a hang-up is found by the read that finds nothing.
TEST_F(PosixDeviceTest, ReadWaitingTakesWhatIsThereWithoutWaiting) {
  Timeouts(kLong, kLong, kLong);
  char buffer[16] = {};
  const auto start = Clock::now();
  EXPECT_EQ(device_->ReadWaiting(buffer, sizeof buffer), 0u);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "it waited for the time-outs";
  pty_.Send("A005B0");
  // The pty hands the bytes over when it gets to it: read until all came.
  std::string got;
  for (const auto until = Clock::now() + kGenerous; got.size() < 6 && Clock::now() < until;) {
    const std::size_t n = device_->ReadWaiting(buffer, 4);
    EXPECT_LE(n, 4u) << "no more than asked";
    got.append(buffer, n);
    if (n == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(got, "A005B0");
  EXPECT_FALSE(device_->HungUp());
  pty_.CloseMaster();
  EXPECT_EQ(device_->ReadWaiting(buffer, sizeof buffer), 0u);
  EXPECT_TRUE(device_->HungUp());
}

TEST_F(PosixDeviceTest, BytesPassUnchanged) {
  Timeouts(kLong, kLong, kLong);
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  pty_.Send(all);
  std::string got(256, '\0');
  EXPECT_EQ(device_->Read(got.data(), got.size()), 256u);
  EXPECT_EQ(got, all);
  EXPECT_EQ(device_->Write(all.data(), all.size()), 256u);
  EXPECT_EQ(pty_.Receive(256), all);
}

TEST_F(PosixDeviceTest, WriteReturnsTheCount) {
  Timeouts(100, 100, 0);
  EXPECT_EQ(device_->Write("A005t", 5), 5u);
  EXPECT_EQ(pty_.Receive(5), "A005t");
}

TEST_F(PosixDeviceTest, WriteThatCannotFinishReturnsWhatWentOut) {
  // Nobody reads the far end: the buffers fill and the write time-out ends it.
  Timeouts(100, 0, 200);
  const std::string big(1 << 20, 'x');
  const std::size_t n = device_->Write(big.data(), big.size());
  EXPECT_GT(n, 0u);
  EXPECT_LT(n, big.size());
  EXPECT_FALSE(device_->HungUp());
}

TEST_F(PosixDeviceTest, InputWaitingLooksWithoutWaiting) {
  EXPECT_FALSE(device_->InputWaiting());
  pty_.Send("E");
  pollfd p{static_cast<int>(device_->InputWaitHandle()), POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 10000), 1);
  EXPECT_TRUE(device_->InputWaiting());
}

TEST_F(PosixDeviceTest, PeerGoneIsAHangUpAndReadsReturnAtOnce) {
  Timeouts(kLong, kLong, kLong);
  pty_.CloseMaster();
  char byte;
  const auto start = Clock::now();
  EXPECT_EQ(device_->Read(&byte, 1), 0u);
  EXPECT_TRUE(device_->HungUp());
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(device_->Read(&byte, 1), 0u);
  EXPECT_EQ(device_->Write("A", 1), 0u);
  EXPECT_LT(Clock::now() - start, kGenerous);
}

TEST_F(PosixDeviceTest, HangUpWhileAReadWaits) {
  Timeouts(kLong, kLong, kLong);
  std::thread closer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pty_.CloseMaster();
  });
  char byte;
  EXPECT_EQ(device_->Read(&byte, 1), 0u);
  closer.join();
  EXPECT_TRUE(device_->HungUp());
}

TEST_F(PosixDeviceTest, DataBeforeTheHangUpIsStillRead) {
  Timeouts(kLong, kLong, kLong);
  pty_.Send("R");
  // Once the far end has gone the byte may or may not survive in the pty;
  // when it does it must come first, and the hang-up after it.
  pty_.CloseMaster();
  char buffer[2];
  const std::size_t n = device_->Read(buffer, 2);
  if (n == 1) {
    EXPECT_EQ(buffer[0], 'R');
  }
  EXPECT_TRUE(device_->HungUp());
}

TEST_F(PosixDeviceTest, KeepsTheStateItApplied) {
  DCB dcb;
  InitDcb(dcb, 56000, ODDPARITY, 7, TWOSTOPBITS);
  EXPECT_TRUE(device_->SetState(dcb));  // a pty skips what it cannot do
  DCB back{};
  ASSERT_TRUE(device_->GetState(back));
  EXPECT_EQ(back.BaudRate, 56000u);
  EXPECT_EQ(back.Parity, ODDPARITY);
}

TEST_F(PosixDeviceTest, RefusedDcbFailsWithEinvalEvenOnAPty) {
  DCB dcb;
  InitDcb(dcb, 9600, NOPARITY, 9, ONESTOPBIT);
  SetLastErrorCode(0);
  EXPECT_FALSE(device_->SetState(dcb));
  EXPECT_EQ(GetLastErrorCode(), EINVAL);
}

TEST(PosixDevice, ClosingRestoresTheSettingsFound) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  const int watch = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(watch, 0);
  termios before;
  ASSERT_EQ(::tcgetattr(watch, &before), 0);
  ASSERT_NE(before.c_lflag & ICANON, 0u);  // a fresh pty is cooked
  {
    auto device = PosixDevice::Open(pty.SlavePath());
    ASSERT_TRUE(device);
    DCB dcb;
    InitDcb(dcb, 14400, NOPARITY, 8, ONESTOPBIT);
    ASSERT_TRUE(device->SetState(dcb));
    termios during;
    ASSERT_EQ(::tcgetattr(watch, &during), 0);
    EXPECT_EQ(during.c_lflag & ICANON, 0u);
  }
  termios after;
  ASSERT_EQ(::tcgetattr(watch, &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
  ::close(watch);
}

TEST(PosixDevice, SecondOpenOfAHeldDeviceIsBusy) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  auto first = PosixDevice::Open(pty.SlavePath());
  ASSERT_TRUE(first);
  SetLastErrorCode(0);
  EXPECT_FALSE(PosixDevice::Open(pty.SlavePath()));
  EXPECT_EQ(GetLastErrorCode(), EBUSY);
  // Another program's lock counts the same way.
  first.reset();
  const int other = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_FALSE(PosixDevice::Open(pty.SlavePath()));
  EXPECT_EQ(GetLastErrorCode(), EBUSY);
  ::close(other);
  EXPECT_TRUE(PosixDevice::Open(pty.SlavePath()));
}

TEST(PosixDevice, OpenFailures) {
  SetLastErrorCode(0);
  EXPECT_FALSE(PosixDevice::Open("/nonexistent/ttyUSB9"));
  EXPECT_EQ(GetLastErrorCode(), ENOENT);
  EXPECT_FALSE(PosixDevice::Open("/dev/null"));  // not a terminal
  EXPECT_EQ(GetLastErrorCode(), ENOTTY);
}

TEST(PosixDevice, TellsPseudoTerminalsApart) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  EXPECT_TRUE(IsPseudoTerminal(pty.Master()));
  auto device = PosixDevice::Open(pty.SlavePath());
  ASSERT_TRUE(device);
  EXPECT_TRUE(device->IsPseudoTerminal());
  const int null_fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  EXPECT_FALSE(IsPseudoTerminal(null_fd));
  ::close(null_fd);
}

}  // namespace
}  // namespace tapix
