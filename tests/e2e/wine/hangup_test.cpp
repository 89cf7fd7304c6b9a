// tapix.exe under Wine with a COM port whose adapter is pulled and plugged
// again: Wine's link dosdevices/comN removed with its pty closed, then made
// again to a new pty, as a USB adapter's COM port goes and comes back.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "fault_support.h"
#include "wine_line.h"

namespace tapix::wine {
namespace {

class PluggedCom {
 public:
  explicit PluggedCom(unsigned number)
      : link_(Prefix() + "/dosdevices/com" + std::to_string(number)) {
    Plug();
  }
  ~PluggedCom() { Pull(); }
  // The adapter is plugged in: a new pty behind the link. One descriptor of
  // the slave keeps it raw while the program's are closed and opened.
  void Plug() {
    pty_ = std::make_unique<e2e::PtyPair>();
    slave_ = ::open(pty_->path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::error_code ec;
    std::filesystem::remove(link_, ec);
    std::filesystem::create_symlink(pty_->path(), link_, ec);
    ASSERT_FALSE(ec) << link_;
  }
  // The adapter is pulled: the line hangs up and the port's name is gone.
  void Pull() {
    std::error_code ec;
    std::filesystem::remove(link_, ec);
    if (slave_ >= 0) ::close(slave_);
    slave_ = -1;
    pty_.reset();
  }
  const e2e::PtyPair& Line() const { return *pty_; }

 private:
  std::string link_;
  std::unique_ptr<e2e::PtyPair> pty_;
  int slave_ = -1;
};

using e2e::Occurrences;
using fault::CpuOver;

// With --autoconnect a COM port that went away is opened again once it is
// back, and answers; one line at the loss and one at the return, and the
// wait between costs next to no CPU.
TEST(WineHangUp, WithAutoconnectAComPortThatComesBackIsOpenedAgain) {
  TAPIX_NEED_WINE();
  PluggedCom com(14);
  TapixProcess tapix(Tapix(), {"--autoconnect", "14,9600,N,8,1"}, WineEnvironment());
  const std::size_t ready = tapix.WaitFor("CreateFile (COM14) succeeded\n", 0, milliseconds(15000));
  ASSERT_NE(ready, std::string::npos) << tapix.Log();

  com.Pull();
  const std::size_t lost = tapix.WaitFor("COM14: Verbindung unterbrochen", ready);
  ASSERT_NE(lost, std::string::npos) << tapix.Log();
  const double cpu = CpuOver(tapix, milliseconds(2000));
  std::printf("CPU of tapix.exe waiting 2 s for COM14: %.3f s\n", cpu);
  EXPECT_LT(cpu, 0.3) << "the wait spins";

  com.Plug();
  const std::size_t back = tapix.WaitFor("COM14: Verbindung wieder hergestellt\n", lost);
  ASSERT_NE(back, std::string::npos) << tapix.Log();
  com.Line().Send("A005");
  EXPECT_EQ(com.Line().Receive(1), "R");
  EXPECT_NE(tapix.WaitFor("A005\nR\n", back), std::string::npos) << tapix.Log();
  EXPECT_EQ(Occurrences(tapix.Log(), "Verbindung unterbrochen"), 1u) << tapix.Log();
  EXPECT_EQ(Occurrences(tapix.Log(), "failed"), 0u) << "the tries are quiet: " << tapix.Log();
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(milliseconds(15000)), 0);
}

// The tap with the dispenser's COM port pulled and plugged again: the cash
// register's message meanwhile is logged as not forwarded and never reaches
// the dispenser; forwarding resumes once the port is back.
TEST(WineHangUp, TheTapWaitsForASideAndMarksWhatItCouldNotForward) {
  TAPIX_NEED_WINE();
  ComPort kasse(15);
  PluggedCom isb(16);
  TapixProcess tapix(Tapix(), {"15,9600,N,8,1", "--tap=16"}, WineEnvironment());
  const std::size_t ready =
      tapix.WaitFor(", Schankanlage an COM16\n", 0, milliseconds(15000));
  ASSERT_NE(ready, std::string::npos) << tapix.Log();

  isb.Pull();
  const std::size_t lost = tapix.WaitFor("COM16: Verbindung unterbrochen", ready);
  ASSERT_NE(lost, std::string::npos) << tapix.Log();
  kasse.Send("B007");
  EXPECT_NE(tapix.WaitFor("Kasse > ISB: B007 (nicht weitergeleitet)\n", lost), std::string::npos)
      << tapix.Log();

  isb.Plug();
  const std::size_t back = tapix.WaitFor("COM16: Verbindung wieder hergestellt\n", lost);
  ASSERT_NE(back, std::string::npos) << tapix.Log();
  kasse.Send("C001");
  EXPECT_EQ(isb.Line().Receive(4), "C001") << "B007 was kept and sent later, or nothing came";
  isb.Line().Send("R");
  EXPECT_EQ(kasse.Receive(1), "R");
  EXPECT_NE(tapix.WaitFor("Kasse > ISB: C001\nISB > Kasse: R\n", back), std::string::npos)
      << tapix.Log();
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(milliseconds(15000)), 0);
}

}  // namespace
}  // namespace tapix::wine
