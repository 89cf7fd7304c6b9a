// A request the line does not take within the write time-out, with no
// terminal: the time-out line stands whole in standard output and in the log
// file, and the lines after it start lines of their own.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "tapix_process.h"

namespace tapix::e2e {
namespace {

TEST(ShortWrite, TheTimeoutLineEndsWithItsOwnLineFeed) {
  TempDir config;
  PtyPair pty;
  // A descriptor of the test's own on the program's end of the line, taken
  // before the program holds it: through it the test stops that end's output.
  const int line = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(line, 0);
  const std::string file = config.path() + "/line.log";
  TapixProcess tapix({"--no-window", "--log=" + file, pty.path() + ",9600,N,8,1"}, config.path());
  std::size_t at = tapix.WaitFor(") succeeded\n");
  ASSERT_NE(at, std::string::npos) << tapix.Log();

  ::tcflow(line, TCOOFF);  // the line takes nothing: the write runs out of time
  tapix.Command("A 5");
  at = tapix.WaitFor(" timeout (A005)\n", at);
  EXPECT_NE(at, std::string::npos) << tapix.Log();
  ::tcflow(line, TCOON);
  pty.Send("B001");
  EXPECT_EQ(pty.Receive(1), "R");
  // The command's acknowledgement follows its write, short or not.
  EXPECT_NE(tapix.WaitFor(" timeout (A005)\nOK: Anfrage A005\nB001\nR\n"), std::string::npos)
      << tapix.Log();
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0);
  ::close(line);

  const std::string trace = ReadFile(file);
  EXPECT_NE(trace.find("\n timeout (A005)\nOK: Anfrage A005\nB001\n"), std::string::npos) << trace;
}

}  // namespace
}  // namespace tapix::e2e
