// tapix.exe's log file on a disk that fills up during the run (a file size
// limit put on the running program plays it): as on Linux, the run goes on,
// the file keeps whole lines and ends with the line that says the log stops
// there, and the exit code is 3.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "wine_line.h"

namespace tapix::wine {
namespace {

TEST(WineLogFile, AFullDiskEndsTheRunWithFourAndTheFileSaysWhereItStops) {
  TAPIX_NEED_WINE();
  ComPort port(12);
  ASSERT_TRUE(port.Mapped());
  e2e::TempDir dir;
  const std::string file = dir.path() + "/line.log";
  ::signal(SIGXFSZ, SIG_IGN);  // inherited: a write past the limit fails
  TapixProcess tapix(Tapix(), {"--no-window", "--log=Z:" + file, "12,9600,N,8,1"},
                     WineEnvironment());
  ASSERT_NE(tapix.WaitFor("CreateFile (COM12) succeeded\n", 0, milliseconds(15000)),
            std::string::npos)
      << tapix.Log();
  rlimit limit{};
  ASSERT_EQ(::prlimit(tapix.pid(), RLIMIT_FSIZE, nullptr, &limit), 0);
  limit.rlim_cur = std::filesystem::file_size(file) + 120;
  ASSERT_EQ(::prlimit(tapix.pid(), RLIMIT_FSIZE, &limit, nullptr), 0);
  tapix.Command("help");  // many lines in one write: more than the room left
  ASSERT_NE(tapix.WaitFor(": Schreibfehler ", 0, milliseconds(15000)), std::string::npos)
      << tapix.Log();
  port.Send("A005");
  EXPECT_EQ(port.Receive(1), "R") << "the run goes on without the file";
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(milliseconds(15000)), 4) << tapix.Log();
  const std::string text = e2e::ReadFile(file);
  const std::size_t stop = text.rfind("\n---- Protokoll hier abgebrochen: Schreibfehler ");
  ASSERT_NE(stop, std::string::npos) << text;
  EXPECT_EQ(text.find('\n', stop + 1), text.size() - 1) << "the stop line is the last\n" << text;
  EXPECT_EQ(text.find("Befehle"), std::string::npos) << "half of the help reached the file\n" << text;
  ForgetSettings();
}

}  // namespace
}  // namespace tapix::wine
