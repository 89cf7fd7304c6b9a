#include "serial/virtual_line.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fake_console.h"
#include "fake_device.h"
#include "pty_pair.h"
#include "app/port_open.h"
#include "serial/port.h"

namespace tapix {
namespace {

using testing::CaptureConsole;
using testing::PtyPair;

// The peer's end: the slave path, opened the way a program that knows
// nothing about raw mode would.
int OpenPeer(const std::string& path) {
  return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
}

std::string PeerRead(int fd, std::size_t n) { return PtyPair::ReadFor(fd, n, 10000); }

class VirtualLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line_.Create());
    port_ = line_.Register(ProcessPortMap(), 0);
    ASSERT_NE(port_, 0u);
    SetDefaults(settings_);
    settings_.port = port_;
  }
  void TearDown() override { ClosePort(handle_); }

  void OpenTapixEnd() {
    handle_ = Open(settings_);
    ASSERT_TRUE(handle_);
    CommTimeouts t;
    t.ReadIntervalTimeout = 60000;
    t.ReadTotalTimeoutConstant = 60000;
    handle_->SetTimeouts(t);
  }
  // Reselects the line's port as the window's port list does.
  void Reselect(CaptureConsole& console) {
    Session session;
    session.console = &console;
    session.settings = settings_;
    session.port = std::move(handle_);
    ReselectPort(session, port_);
    handle_ = std::move(session.port);
  }
  std::string TapixRead(std::size_t n) {
    std::string buffer(n, '\0');
    buffer.resize(handle_->Read(buffer.data(), n));
    return buffer;
  }

  VirtualLine line_;
  std::uint32_t port_ = 0;
  PortSettings settings_{};
  std::unique_ptr<SerialDevice> handle_;
};

TEST_F(VirtualLineTest, BytesGoBothWaysUnchanged) {
  OpenTapixEnd();
  const int peer = OpenPeer(line_.SlavePath());
  ASSERT_GE(peer, 0);
  // Bytes a cooked terminal would change: CR, LF, ^C, DEL, 0xFC.
  const std::string tricky = "A005\r\n\x03\x7f\xfc";
  PtyPair::WriteAll(peer, tricky);
  EXPECT_EQ(TapixRead(tricky.size()), tricky);
  EXPECT_EQ(handle_->Write(tricky.data(), tricky.size()), tricky.size());
  EXPECT_EQ(PeerRead(peer, tricky.size()), tricky);
  ::close(peer);
}

TEST_F(VirtualLineTest, PeerCloseAndReopenKeepsTheLine) {
  OpenTapixEnd();
  int peer = OpenPeer(line_.SlavePath());
  ASSERT_GE(peer, 0);
  PtyPair::WriteAll(peer, "R");
  EXPECT_EQ(TapixRead(1), "R");
  ::close(peer);

  // The peer is away: the port has not hung up, a read just times out.
  CommTimeouts t;
  t.ReadTotalTimeoutConstant = 20;
  handle_->SetTimeouts(t);
  char byte;
  EXPECT_EQ(handle_->Read(&byte, 1), 0u);
  EXPECT_FALSE(handle_->HungUp());
  EXPECT_FALSE(handle_->InputWaiting());

  peer = OpenPeer(line_.SlavePath());
  ASSERT_GE(peer, 0);
  t.ReadIntervalTimeout = 60000;
  t.ReadTotalTimeoutConstant = 60000;
  handle_->SetTimeouts(t);
  PtyPair::WriteAll(peer, "F");
  EXPECT_EQ(TapixRead(1), "F");
  EXPECT_EQ(handle_->Write("E", 1), 1u);
  EXPECT_EQ(PeerRead(peer, 1), "E");
  ::close(peer);
}

TEST_F(VirtualLineTest, PeerKeepsItsOwnLineSettings) {
  const int peer = OpenPeer(line_.SlavePath());
  ASSERT_GE(peer, 0);
  termios mine;
  ASSERT_EQ(::tcgetattr(peer, &mine), 0);
  mine.c_cc[VMIN] = 0;
  mine.c_cc[VTIME] = 5;
  cfsetspeed(&mine, B19200);
  ASSERT_EQ(::tcsetattr(peer, TCSANOW, &mine), 0);
  OpenTapixEnd();  // with 9600 baud, even parity
  CaptureConsole console;
  Reselect(console);
  ClosePort(handle_);
  termios after;
  ASSERT_EQ(::tcgetattr(peer, &after), 0);
  EXPECT_EQ(after.c_cc[VMIN], 0);
  EXPECT_EQ(after.c_cc[VTIME], 5);
  EXPECT_EQ(cfgetospeed(&after), B19200);
  ::close(peer);
}

TEST_F(VirtualLineTest, ExclusiveWhileOpenAndReopenable) {
  OpenTapixEnd();
  SetLastErrorCode(0);
  EXPECT_FALSE(Open(settings_));
  EXPECT_EQ(GetLastErrorCode(), EBUSY);

  CaptureConsole console;
  Reselect(console);
  ASSERT_TRUE(handle_);
  EXPECT_EQ(console.log_, "CreateFile (COM" + std::to_string(port_) + ") succeeded\n");
  const int peer = OpenPeer(line_.SlavePath());
  PtyPair::WriteAll(peer, "W");
  CommTimeouts t;
  t.ReadTotalTimeoutConstant = 60000;
  handle_->SetTimeouts(t);
  char byte = 0;
  EXPECT_EQ(handle_->Read(&byte, 1), 1u);
  EXPECT_EQ(byte, 'W');
  ::close(peer);
}

TEST_F(VirtualLineTest, StandsInThePortMapUntilClosed) {
  EXPECT_EQ(ProcessPortMap().DevicePath(port_), line_.MapPath());
  EXPECT_EQ(ProcessPortMap().Explicit().count(port_), 0u);  // never stored
  const std::string path = line_.MapPath();
  line_.Close();
  EXPECT_NE(ProcessPortMap().DevicePath(port_), path);
  SetLastErrorCode(0);
  EXPECT_FALSE(OpenVirtualLine(path));
  EXPECT_EQ(GetLastErrorCode(), ENOENT);
}

TEST(VirtualLine, TakesANumberNoDeviceHasSoRealPortsKeepTheirs) {
  PortMap map;
  map.SetExplicit(5, "/dev/ttyUSB0");
  map.SetPresent({"/dev/ttyS0"});
  map.ClearDirty();
  VirtualLine a, b;
  ASSERT_TRUE(a.Create());
  ASSERT_TRUE(b.Create());
  EXPECT_EQ(a.Register(map, 0), 2u);  // COM1 stays the present /dev/ttyS0
  EXPECT_EQ(b.Register(map, 3), 4u);  // 3 is the number the run keeps
  EXPECT_EQ(map.DevicePath(1), "/dev/ttyS0");
  EXPECT_EQ(map.DevicePath(2), a.MapPath());
  EXPECT_EQ(map.DevicePath(5), "/dev/ttyUSB0");
  EXPECT_FALSE(map.Dirty());
  a.Close();
  EXPECT_EQ(map.DevicePath(2), "");
  EXPECT_EQ(map.DevicePath(1), "/dev/ttyS0");
}

class VirtualLineLink : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tapix-vl-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    link_ = dir_ + "/kasse";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_, link_;
};

TEST_F(VirtualLineLink, CreatedAndRemoved) {
  {
    VirtualLine line;
    ASSERT_TRUE(line.Create(link_));
    EXPECT_EQ(std::filesystem::read_symlink(link_), line.SlavePath());
    const int peer = OpenPeer(link_);  // the peer can use the link's name
    EXPECT_GE(peer, 0);
    ::close(peer);
  }
  EXPECT_FALSE(std::filesystem::is_symlink(link_));
}

TEST_F(VirtualLineLink, StaleLinkReplacedRegularFileKept) {
  std::filesystem::create_symlink("/dev/pts/does-not-exist", link_);
  VirtualLine line;
  ASSERT_TRUE(line.Create(link_));
  EXPECT_EQ(std::filesystem::read_symlink(link_), line.SlavePath());
  line.Close();

  std::ofstream(link_) << "notes";
  VirtualLine other;
  SetLastErrorCode(0);
  EXPECT_FALSE(other.Create(link_));
  EXPECT_EQ(GetLastErrorCode(), EEXIST);
  std::ifstream in(link_);
  std::string content;
  in >> content;
  EXPECT_EQ(content, "notes");
}

TEST_F(VirtualLineLink, ALiveLineKeepsItsLinkAPtyOfNoLineDoesNot) {
  VirtualLine first;
  ASSERT_TRUE(first.Create(link_));
  VirtualLine second;
  SetLastErrorCode(0);
  EXPECT_FALSE(second.Create(link_)) << "the link of a live line was moved";
  EXPECT_EQ(GetLastErrorCode(), EBUSY);
  EXPECT_EQ(second.BusyLinkTarget(), first.SlavePath());
  EXPECT_EQ(std::filesystem::read_symlink(link_), first.SlavePath());
  second.Close();
  EXPECT_EQ(std::filesystem::read_symlink(link_), first.SlavePath()) << "the refused line took it away";

  // A pty that lives on without a line (its number given to a terminal since)
  // is a stale target: the link is replaced, as is a link to nothing.
  testing::PtyPair terminal;
  first.Close();
  std::filesystem::create_symlink(terminal.SlavePath(), link_);
  VirtualLine third;
  ASSERT_TRUE(third.Create(link_));
  EXPECT_EQ(std::filesystem::read_symlink(link_), third.SlavePath());

  // A link someone pointed elsewhere by hand is not removed at the end.
  std::filesystem::remove(link_);
  std::filesystem::create_symlink("/dev/null", link_);
  third.Close();
  EXPECT_EQ(std::filesystem::read_symlink(link_), "/dev/null");
}

}  // namespace
}  // namespace tapix
