// The console front end on Linux: the in-memory panel stands in for the
// window, command lines come from standard input, and one poll() waits on
// everything at once — the port, the input, the query timer and the stop
// signals — so the program never spins, with or without a port.
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/console_input.h"
#include "app/requests.h"
#include "platform/signals.h"
#include "ui/headless/headless_common.h"

namespace tapix {

// Standard input is read byte by byte here, so nothing after the line is
// taken away from the command reader that follows.
bool ReadAnswerLine(std::string* line) {
  line->clear();
  const int stop_fd = InstallStopSignals();
  for (;;) {
    pollfd fds[2] = {{0, POLLIN, 0}, {stop_fd, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (fds[1].revents && TakeStopSignal()) return false;
    if (!fds[0].revents) continue;
    char c;
    const ssize_t n = ::read(0, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return !line->empty();
    if (c == '\n') break;
    line->push_back(c);
  }
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

namespace {

class TimerFd {
 public:
  TimerFd() {
    fd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    if (fd_ < 0) return;
    itimerspec period = {};
    period.it_interval.tv_sec = kQueryTimerMs / 1000;
    period.it_interval.tv_nsec = (kQueryTimerMs % 1000) * 1000000L;
    period.it_value = period.it_interval;
    ::timerfd_settime(fd_, 0, &period, nullptr);
  }
  ~TimerFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  TimerFd(const TimerFd&) = delete;
  TimerFd& operator=(const TimerFd&) = delete;
  int fd() const { return fd_; }
  // The number of ticks since the last call (0 when none).
  std::uint64_t Take() {
    std::uint64_t ticks = 0;
    if (::read(fd_, &ticks, sizeof ticks) != sizeof ticks) return 0;
    return ticks;
  }

 private:
  int fd_ = -1;
};

}  // namespace

void RunHeadlessLoop(Session& session) {
  const int stop_fd = InstallStopSignals();
  TimerFd timer;
  LineReader input(0);
  bool input_open = true;

  while (!session.quit_requested) {
    // Without a window, a port or more input nothing can happen any more:
    // the run ends instead of waiting for ever.
    if (EndWithoutPortOrInput(session, input_open)) break;
    pollfd fds[4];
    nfds_t count = 0;
    const int port_fd = session.port ? static_cast<int>(session.port->InputWaitHandle()) : -1;
    fds[count++] = {stop_fd, POLLIN, 0};
    fds[count++] = {timer.fd(), POLLIN, 0};
    const nfds_t input_slot = count;
    fds[count++] = {input_open ? 0 : -1, POLLIN, 0};
    const nfds_t port_slot = count;
    fds[count++] = {port_fd, POLLIN, 0};
    if (::poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents && TakeStopSignal()) {
      OnStop(session);
      break;
    }
    // Window events first, as the loop has it: console lines, then the timer.
    if (fds[input_slot].revents) {
      input_open = input.ReadAvailable([&](std::string_view line) {
        if (!session.quit_requested) OnConsoleLine(session, line);
      });
      if (session.quit_requested) break;
    }
    if (fds[1].revents && timer.Take() > 0) OnQueryTick(session);
    if (fds[port_slot].revents && session.port && session.port->InputWaitHandle() == port_fd) {
      OnPortInput(session);
    }
  }
}

}  // namespace tapix
