// Where the log and the echo go: standard output and the controlling
// terminal, which may be the same device or not. Each case runs in a child
// process with a session of its own, so that it can have a terminal or none.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/console_output.h"
#include "pty_pair.h"

namespace tapix {
namespace {

using testing::PtyPair;

enum class Terminal { None, Separate, IsOutput };

struct Seen {
  std::string output;    // standard output
  std::string terminal;  // the controlling terminal
};

// The echo of a write cut short, its time-out line, then the next echo.
void Play(ConsoleOutput& out) {
  out.Echo('A');
  out.Echo('0');
  out.Write(" timeout (A005)\n");
  out.Echo('B');
  out.Echo('\n');
  out.Write("R\n");
}

Seen RunWith(Terminal terminal) {
  PtyPair pty;
  EXPECT_TRUE(pty.Ok());
  {
    // Raw, so the terminal shows the bytes as written (no CR before LF).
    const int slave = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    termios t;
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::close(slave);
  }
  int pipe_fds[2];
  EXPECT_EQ(::pipe(pipe_fds), 0);
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    ::setsid();
    if (terminal != Terminal::None) {
      // The first terminal a session leader opens becomes its controlling one.
      const int tty = ::open(pty.SlavePath().c_str(), O_RDWR);
      if (terminal == Terminal::IsOutput) {
        ::dup2(tty, STDOUT_FILENO);
      }
    }
    if (terminal != Terminal::IsOutput) ::dup2(pipe_fds[1], STDOUT_FILENO);
    {
      ConsoleOutput out;
      Play(out);
    }
    std::fflush(stdout);
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  Seen seen;
  seen.output = PtyPair::ReadFor(pipe_fds[0], 1 << 10, 200);
  seen.terminal = PtyPair::ReadFor(pty.Master(), 1 << 10, 200);
  ::close(pipe_fds[0]);
  return seen;
}

TEST(ConsoleOutput, EveryLogLineEndsWithItsOwnLineFeedTerminalOrNot) {
  // No terminal: the echo is dropped, the log lines stand whole.
  Seen none = RunWith(Terminal::None);
  EXPECT_EQ(none.output, " timeout (A005)\nR\n");
  EXPECT_EQ(none.terminal, "");

  // The terminal shows the log too: the time-out continues the echo's line.
  Seen shared = RunWith(Terminal::IsOutput);
  EXPECT_EQ(shared.terminal, "A0 timeout (A005)\nB\nR\n");

  // The log goes to a pipe: the terminal's echo line still gets its end.
  Seen separate = RunWith(Terminal::Separate);
  EXPECT_EQ(separate.output, " timeout (A005)\nR\n");
  EXPECT_EQ(separate.terminal, "A0\nB\n");
}

}  // namespace
}  // namespace tapix
