// A peer that hangs up in the middle of a message, and one that comes back:
// on a device (here a pty behind a stable link, as a re-plugged USB adapter
// comes back under its by-id link), on a side of the tap, and on the
// program's own virtual line.
#include <gtest/gtest.h>
#include <termios.h>

#include <regex>

#include "fault_support.h"

namespace tapix::fault {
namespace {

const std::string kHangUp = "Verbindung unterbrochen";

unsigned PortNumber(const std::string& log) {
  std::smatch m;
  if (!std::regex_search(log, m, std::regex("CreateFile \\(COM(\\d+)\\) succeeded"))) return 0;
  return static_cast<unsigned>(std::stoul(m[1]));
}

// Sends the first byte of "T01...", lets the program start reading the rest,
// sends two more and hangs up before the message is complete.
void SendHalfAMessage(int fd) {
  [[maybe_unused]] ssize_t n = ::write(fd, "T", 1);
  std::this_thread::sleep_for(milliseconds(40));
  n = ::write(fd, "01", 2);
  std::this_thread::sleep_for(milliseconds(20));
}

// What a message cut short by a hang-up may leave in the log: the part that
// came, logged as cut short, and its answer (written into a dead line).
bool IsCutShortLine(const std::string& text) {
  return std::regex_match(text, std::regex("(T0?1? timeout\nR\n)?"));
}

TEST(DeviceHangUp, MidMessageIsReportedOnceAndTheDeviceCanBeChosenAgain) {
  TempDir config;
  const std::string link = config.path() + "/ttyUSB-by-id";
  auto pty = std::make_unique<PtyPair>();
  ASSERT_EQ(::symlink(pty->path().c_str(), link.c_str()), 0);
  TapixProcess tapix({"--no-window", link + ",9600,N,8,1"}, config.path());
  const std::size_t ready = tapix.WaitFor(") succeeded\n");
  ASSERT_NE(ready, std::string::npos) << tapix.Log();
  const unsigned port = PortNumber(tapix.Log());
  ASSERT_NE(port, 0u);

  SendHalfAMessage(pty->fd());
  pty->Close();
  ::unlink(link.c_str());  // gone with the device; a new pty may reuse the number
  const std::size_t reported = tapix.WaitFor(kHangUp, ready);
  ASSERT_NE(reported, std::string::npos) << tapix.Log();
  EXPECT_LT(CpuOver(tapix, milliseconds(2000)), 0.5) << "the program spins after the hang-up";
  const std::string& log = tapix.Log();
  const std::size_t line_start = log.rfind('\n', reported) + 1;
  EXPECT_TRUE(IsCutShortLine(log.substr(ready, line_start - ready))) << log.substr(ready);
  EXPECT_NE(log.find("COM" + std::to_string(port) + ":", line_start), std::string::npos);
  EXPECT_EQ(CountOf(log, kHangUp), 1u);

  // Chosen again while the device is still gone: refused, and no spinning.
  const std::string number = std::to_string(port);
  tapix.Command("port " + number);
  const std::size_t refused =
      tapix.WaitFor("CreateFile (COM" + number + ") failed with error ", reported);
  EXPECT_NE(refused, std::string::npos) << tapix.Log();
  EXPECT_LT(CpuOver(tapix, milliseconds(1000)), 0.5);

  // The device comes back under its link: the same number opens it.
  PtyPair again;
  ASSERT_EQ(::symlink(again.path().c_str(), link.c_str()), 0);
  tapix.Command("port " + number);
  const std::size_t reopened = tapix.WaitFor("CreateFile (COM" + number + ") succeeded\n", reported);
  ASSERT_NE(reopened, std::string::npos) << tapix.Log();
  again.Send("A005");
  EXPECT_EQ(again.Receive(1), "R");
  EXPECT_NE(tapix.WaitFor("A005\nR\n", reopened), std::string::npos);
  EXPECT_EQ(CountOf(tapix.Log(), kHangUp), 1u);
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0);
}

// With --autoconnect the device is opened again by itself once it is back
// under its link: one line at the loss, one at the return, and the wait
// between costs next to no CPU.
TEST(DeviceHangUp, WithAutoconnectTheDeviceIsOpenedAgainOnceItIsBack) {
  TempDir config;
  const std::string link = config.path() + "/ttyUSB-by-id";
  auto pty = std::make_unique<PtyPair>();
  ASSERT_EQ(::symlink(pty->path().c_str(), link.c_str()), 0);
  TapixProcess tapix({"--no-window", "--autoconnect", link + ",9600,N,8,1"}, config.path());
  const std::size_t ready = tapix.WaitFor(") succeeded\n");
  ASSERT_NE(ready, std::string::npos) << tapix.Log();
  const std::string com = "COM" + std::to_string(PortNumber(tapix.Log()));
  tapix.CloseInput();  // no more commands: the run waits for the port all the same

  pty->Close();
  ::unlink(link.c_str());
  const std::size_t lost = tapix.WaitFor(com + ": " + kHangUp, ready);
  ASSERT_NE(lost, std::string::npos) << tapix.Log();
  const double cpu = CpuOver(tapix, milliseconds(2000));
  std::printf("CPU while waiting 2 s for the device: %.3f s\n", cpu);
  EXPECT_LT(cpu, 0.2) << "the wait spins";

  PtyPair again;
  ASSERT_EQ(::symlink(again.path().c_str(), link.c_str()), 0);
  const std::size_t back = tapix.WaitFor(com + ": Verbindung wieder hergestellt\n", lost);
  ASSERT_NE(back, std::string::npos) << tapix.Log();
  again.Send("A005");
  EXPECT_EQ(again.Receive(1), "R");
  EXPECT_NE(tapix.WaitFor("A005\nR\n", back), std::string::npos) << tapix.Log();
  EXPECT_EQ(CountOf(tapix.Log(), kHangUp), 1u);
  EXPECT_EQ(CountOf(tapix.Log(), "wieder hergestellt"), 1u);
  EXPECT_EQ(CountOf(tapix.Log(), "failed"), 0u) << "the tries are quiet";
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(), 0);
  const std::string store = e2e::ReadFile(config.path() + "/tapix/settings.reg");
  EXPECT_NE(store.find("\"Autoconnect\"=\"1\""), std::string::npos) << "the option is saved:\n" << store;
}

TEST(DeviceHangUp, RequestWaitingWhileTheDeviceIsGoneGoesOutWhenItIsBack) {
  TempDir config;
  const std::string link = config.path() + "/ttyACM-by-id";
  auto pty = std::make_unique<PtyPair>();
  ASSERT_EQ(::symlink(pty->path().c_str(), link.c_str()), 0);
  TapixProcess tapix({"--no-window", link + ",9600,N,8,1"}, config.path());
  ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();
  const std::string number = std::to_string(PortNumber(tapix.Log()));
  pty->Close();
  ::unlink(link.c_str());
  const std::size_t reported = tapix.WaitFor(kHangUp);
  ASSERT_NE(reported, std::string::npos);
  tapix.Command("A 7");  // no port: the request waits
  PtyPair again;
  ASSERT_EQ(::symlink(again.path().c_str(), link.c_str()), 0);
  tapix.Command("port " + number);
  ASSERT_NE(tapix.WaitFor("CreateFile (COM" + number + ") succeeded\n", reported), std::string::npos)
      << tapix.Log();
  EXPECT_EQ(again.Receive(4), "A007");
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0);
}

int OpenPeer(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fd;
  termios t;
  ::tcgetattr(fd, &t);
  ::cfmakeraw(&t);
  ::tcsetattr(fd, TCSANOW, &t);
  return fd;
}

std::string ReadSome(int fd, std::size_t count, milliseconds wait) {
  std::string got;
  const auto until = Clock::now() + wait;
  while (got.size() < count && Clock::now() < until) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got.size()));
    if (n <= 0) break;
    got.append(buffer, static_cast<std::size_t>(n));
  }
  return got;
}

TEST(VirtualLineHangUp, PeerLeavesMidMessageAndComesBackAgainAndAgain) {
  TempDir config;
  const std::string link = config.path() + "/isb";
  TapixProcess tapix({"--no-window", "--pty=" + link}, config.path());
  std::size_t at = tapix.WaitFor(") succeeded\n");
  ASSERT_NE(at, std::string::npos) << tapix.Log();
  int fds_first = -1;
  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    int peer = OpenPeer(link);
    ASSERT_GE(peer, 0) << std::strerror(errno);
    ::tcflush(peer, TCIFLUSH);  // what was answered while nobody listened
    ASSERT_EQ(::write(peer, "A005", 4), 4);
    EXPECT_EQ(ReadSome(peer, 1, milliseconds(3000)), "R");
    at = tapix.WaitFor("A005\nR\n", at);
    ASSERT_NE(at, std::string::npos) << tapix.Log();
    SendHalfAMessage(peer);
    ::close(peer);
    // The line stays: the cut message times out and is answered, nothing hangs up.
    at = tapix.WaitFor("T01 timeout\nR\n", at);
    ASSERT_NE(at, std::string::npos) << tapix.Log();
    EXPECT_LT(CpuOver(tapix, milliseconds(1000)), 0.5) << "spins while the peer is away";
    if (round == 0) fds_first = OpenFdCount(tapix.pid());
  }
  EXPECT_EQ(OpenFdCount(tapix.pid()), fds_first) << "descriptors leak per reconnect";
  EXPECT_EQ(tapix.Log().find(kHangUp), std::string::npos) << tapix.Log();
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0);
}

// `bytes` written on one side come out on the other, unchanged.
void Passes(const PtyPair& from, const PtyPair& to, const std::string& bytes) {
  from.Send(bytes);
  EXPECT_EQ(to.Receive(bytes.size()), bytes);
}

// The dispenser's adapter pulled and plugged again (its by-id link removed
// and restored): the cash register's bytes meanwhile are logged as not
// forwarded and never reach the dispenser later; forwarding resumes once it
// is back. The tap waits for a side whatever Autoconnect says, without
// spinning, and also when both are away.
TEST(TapSides, ASideRemovedAndRestoredIsWaitedForAndWhatItMissedIsMarked) {
  TempDir config;
  PtyPair kasse;
  const std::string link = config.path() + "/ttyUSB-isb";
  auto isb = std::make_unique<PtyPair>();
  ASSERT_EQ(::symlink(isb->path().c_str(), link.c_str()), 0);
  TapixProcess tapix({"--no-window", "--no-autoconnect", kasse.path() + ",9600,N,8,1", "--tap=" + link},
                     config.path());
  const std::size_t ready = tapix.WaitFor(", Schankanlage an COM");
  ASSERT_NE(ready, std::string::npos) << tapix.Log();
  Passes(kasse, *isb, "A005");

  isb->Close();
  ::unlink(link.c_str());
  const std::size_t lost = tapix.WaitFor("Verbindung unterbrochen", ready);
  ASSERT_NE(lost, std::string::npos) << tapix.Log();
  kasse.Send("B007");
  EXPECT_NE(tapix.WaitFor("Kasse > ISB: B007 (nicht weitergeleitet)\n", lost), std::string::npos)
      << tapix.Log();
  const double cpu = CpuOver(tapix, milliseconds(1000));
  std::printf("CPU of the tap waiting 1 s for a side: %.3f s\n", cpu);
  EXPECT_LT(cpu, 0.2) << "the wait spins";

  PtyPair back;
  ASSERT_EQ(::symlink(back.path().c_str(), link.c_str()), 0);
  const std::size_t returned = tapix.WaitFor("Verbindung wieder hergestellt\n", lost);
  ASSERT_NE(returned, std::string::npos) << tapix.Log();
  Passes(kasse, back, "C001");
  Passes(back, kasse, "R");
  EXPECT_EQ(back.Drain(milliseconds(200)), "") << "B007 was kept and sent later";
  EXPECT_NE(tapix.WaitFor("Kasse > ISB: C001\nISB > Kasse: R\n", returned), std::string::npos)
      << tapix.Log();
  EXPECT_EQ(CountOf(tapix.Log(), "Verbindung unterbrochen"), 1u) << tapix.Log();
  EXPECT_EQ(CountOf(tapix.Log(), "wieder hergestellt"), 1u) << tapix.Log();
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(), 0);
}

// The peer leaves in the middle of a message and a new connection begins at
// once: the half message ends at the close, as a time-out, and the next
// connection's messages are read on their own.
TEST(VirtualLineHangUp, AHalfMessageIsNotGluedToTheNextConnectionsFirst) {
  TempDir config;
  const std::string link = config.path() + "/isb";
  TapixProcess tapix({"--no-window", "--pty=" + link}, config.path());
  const std::size_t ready = tapix.WaitFor(") succeeded\n");
  ASSERT_NE(ready, std::string::npos) << tapix.Log();
  int peer = OpenPeer(link);
  ASSERT_GE(peer, 0);
  ASSERT_EQ(::write(peer, "T012", 4), 4);
  std::this_thread::sleep_for(milliseconds(20));
  ::close(peer);
  peer = OpenPeer(link);
  ASSERT_GE(peer, 0);
  ASSERT_EQ(::write(peer, "A005", 4), 4);
  ASSERT_NE(tapix.WaitFor("A005\nR\n", ready), std::string::npos) << tapix.Log();
  const std::string log = tapix.Log().substr(ready);
  EXPECT_NE(log.find("T012 timeout\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("T012A"), std::string::npos) << log;
  ::close(peer);
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0);
}

}  // namespace
}  // namespace tapix::fault
