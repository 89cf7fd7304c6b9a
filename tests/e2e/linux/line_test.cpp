// The real program on a pty pair: bytes in, answers and log lines out.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "line_cases.h"
#include "tapix_process.h"

namespace tapix::e2e {
namespace {

// The Linux program on a pty, with a settings store of its own.
struct PtyLine {
  TempDir config;
  PtyPair pty;
  TapixProcess tapix{{"--no-window", pty.path() + ",9600,N,8,1"}, config.path()};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Pty, LineMessages, PtyLine);

using Line = LineFixture<PtyLine>;

TEST_F(Line, SecondProgramCannotHoldThePort) {
  ASSERT_NE(ready, std::string::npos);
  TempDir other;
  TapixProcess second({"--no-window", pty.path()}, other.path());
  EXPECT_NE(second.WaitFor(") failed with error "), std::string::npos) << second.Log();
  second.Command("quit");
  EXPECT_EQ(second.Wait(), 0);
  pty.Send("A005");  // the first still owns the line
  EXPECT_EQ(pty.Receive(1), "R");
}

TEST_F(Line, StopSignalEndsLikeBeendenAndSaves) {
  ASSERT_NE(ready, std::string::npos);
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(), 0);
  ended = true;
  std::ifstream store(line.config.path() + "/tapix/settings.reg", std::ios::binary);
  std::stringstream text;
  text << store.rdbuf();
  EXPECT_NE(text.str().find("\"Baud\"=\"9600\""), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("\"Parity\"=\"0\""), std::string::npos) << text.str();
}

}  // namespace
}  // namespace tapix::e2e
