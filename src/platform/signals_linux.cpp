#include "platform/signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace tapix {
namespace {

int g_pipe[2] = {-1, -1};
volatile sig_atomic_t g_pending = 0;  // set with the byte in the pipe

extern "C" void OnStopSignal(int) {
  const int saved = errno;
  g_pending = 1;
  const char byte = 1;
  // Non-blocking: a full pipe already says "stop".
  [[maybe_unused]] ssize_t r = ::write(g_pipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

WaitHandle InstallStopSignals() {
  if (g_pipe[0] >= 0) return g_pipe[0];
  if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    g_pipe[0] = g_pipe[1] = -1;
    return -1;
  }
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  // A peer that closes a pipe we write the log to must not kill the run.
  signal(SIGPIPE, SIG_IGN);
  // Nor a file that reaches the size limit (ulimit -f): the write fails with
  // EFBIG instead, and the log file's writer reports it like a full disk.
  signal(SIGXFSZ, SIG_IGN);
  return g_pipe[0];
}

bool TakeStopSignal() {
  if (g_pipe[0] < 0) return false;
  // Cleared before the pipe is emptied: a signal in between leaves both set.
  g_pending = 0;
  bool seen = false;
  char buffer[64];
  while (::read(g_pipe[0], buffer, sizeof buffer) > 0) seen = true;
  return seen;
}

bool StopPending() { return g_pending != 0; }

void StopSignalsDone() {}

}  // namespace tapix
