// A second instance on a port the first one holds.
#include <gtest/gtest.h>

#include <regex>

#include "fault_support.h"

namespace tapix::fault {
namespace {

const std::regex kRefused("CreateFile \\(COM(\\d+)\\) failed with error (-?\\d+) - ([^\n]*)\n");

TEST(SecondInstance, IsRefusedWithTheFailureLineAndTakesThePortOnceItIsFree) {
  PtyPair pty;
  TempDir config;
  TapixProcess first({"--no-window", pty.path() + ",9600,N,8,1"}, config.path());
  ASSERT_NE(first.WaitFor(") succeeded\n"), std::string::npos) << first.Log();

  // Same user, same settings folder: the same port number for the device.
  TapixProcess second({"--no-window", pty.path() + ",9600,N,8,1"}, config.path());
  const std::size_t refused = second.WaitFor(") failed with error ");
  ASSERT_NE(refused, std::string::npos) << second.Log();
  second.WaitFor("\n", refused);
  std::smatch m;
  const std::string log = second.Log();
  ASSERT_TRUE(std::regex_search(log, m, kRefused)) << log;
  EXPECT_NE(m[2], "0");
  EXPECT_FALSE(m[3].str().empty()) << "the failure line has no text";
  EXPECT_EQ(log.find(") succeeded"), std::string::npos);
  const std::string number = m[1];
  EXPECT_NE(first.Log().find("CreateFile (COM" + number + ") succeeded"), std::string::npos);

  // Refused again while the first still holds it; nothing half-open is left.
  second.Command("port " + number);
  EXPECT_NE(second.WaitFor("CreateFile (COM" + number + ") failed with error ", refused + 1),
            std::string::npos)
      << second.Log();
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");  // one answer: only the first reads the line
  EXPECT_EQ(pty.Drain(milliseconds(300)), "");

  first.Command("quit");
  EXPECT_EQ(first.Wait(), 0);
  const std::size_t before = second.Log().size();
  second.Command("port " + number);
  ASSERT_NE(second.WaitFor("CreateFile (COM" + number + ") succeeded\n", before), std::string::npos)
      << second.Log();
  pty.Send("B001");
  EXPECT_EQ(pty.Receive(1), "R");
  EXPECT_NE(second.WaitFor("B001\nR\n", before), std::string::npos);
  second.Command("quit");
  EXPECT_EQ(second.Wait(), 0);
}

TEST(SecondInstance, OnThePeerEndOfAVirtualLineKeepsAThirdOut) {
  TempDir config;
  const std::string link = config.path() + "/isb";
  TapixProcess dispenser({"--no-window", "--pty=" + link}, config.path());
  const std::size_t ready = dispenser.WaitFor(") succeeded\n");
  ASSERT_NE(ready, std::string::npos) << dispenser.Log();
  // The second instance is the cash register on the other end of the line.
  TempDir other;
  TapixProcess host({"--no-window", link + ",9600,N,8,1"}, other.path());
  ASSERT_NE(host.WaitFor(") succeeded\n"), std::string::npos) << host.Log();
  TempDir third_config;
  TapixProcess third({"--no-window", link + ",9600,N,8,1"}, third_config.path());
  EXPECT_NE(third.WaitFor(") failed with error "), std::string::npos) << third.Log();
  host.Command("A 5");
  EXPECT_NE(dispenser.WaitFor("A005\nR\n", ready), std::string::npos) << dispenser.Log();
  EXPECT_NE(host.WaitFor("\nR\n"), std::string::npos) << host.Log();
  for (TapixProcess* p : {&third, &host, &dispenser}) {
    p->Command("quit");
    EXPECT_EQ(p->Wait(), 0);
  }
}

// Two runs with one --pty=LINK: the second would move the link and, when it
// ends, remove it, so that the first could no longer be reached. It is
// refused before it opens anything; the first keeps its link and its peer.
TEST(SecondInstance, ASecondVirtualLineOnALiveLinkIsRefusedWithTwo) {
  TempDir config;
  const std::string link = config.path() + "/x";
  TapixProcess first({"--no-window", "--pty=" + link}, config.path());
  ASSERT_NE(first.WaitFor(") succeeded\n"), std::string::npos) << first.Log();
  const std::string target = std::filesystem::read_symlink(link);

  TempDir other;
  TapixProcess second({"--no-window", "--pty=" + link}, other.path());
  EXPECT_EQ(second.Wait(), 2) << second.Log();
  EXPECT_NE(second.Log().find("Virtuelle Leitung nicht angelegt: " + link + " zeigt auf " + target +
                              ", die virtuelle Leitung eines anderen Laufs\n"),
            std::string::npos)
      << second.Log();
  EXPECT_EQ(second.Log().find("CreateFile"), std::string::npos) << second.Log();
  EXPECT_EQ(std::filesystem::read_symlink(link), target);
  EXPECT_TRUE(e2e::StoreText(other).find("Port") == std::string::npos) << "nothing is saved";

  // The first is reached through the link as before.
  TapixProcess host({"--no-window", link + ",9600,N,8,1"}, other.path());
  ASSERT_NE(host.WaitFor(") succeeded\n"), std::string::npos) << host.Log();
  host.Command("A 5");
  EXPECT_NE(first.WaitFor("A005\nR\n"), std::string::npos) << first.Log();
  for (TapixProcess* p : {&host, &first}) {
    p->Command("quit");
    EXPECT_EQ(p->Wait(), 0);
  }
  // A link left by a run that was killed is stale: a new run replaces it.
  std::filesystem::create_symlink(target, link);
  TapixProcess again({"--no-window", "--pty=" + link}, config.path());
  EXPECT_NE(again.WaitFor(") succeeded\n"), std::string::npos) << again.Log();
  again.Command("quit");
  EXPECT_EQ(again.Wait(), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}

}  // namespace
}  // namespace tapix::fault
