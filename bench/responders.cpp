// The answer path against two plain responders on the same machine in the
// same run: messages "A005" back to back, each answered "R". The floor is a
// responder in C++ that reads whatever is waiting and answers every complete
// message with one write; beside it the same loop waiting with poll() among
// other sources, as any responder that also takes commands must; the last is
// the floor's few lines in Python, the tool a person on site would write in a
// minute. Tapix does more per message
// (it logs each message and each answer), so the floor is what it cannot
// beat, and the Python responder is what it must.
#include <poll.h>
#include <signal.h>
#include <sys/timerfd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cstdlib>

#include "bench_support.h"
#include "figures.h"

namespace tapix::bench {
namespace {

constexpr const char* kMessage = "A005";
constexpr std::size_t kMessageBytes = 4;
// Messages on the line at most before the driver waits for answers: one, as
// a cash register sends the next message once the answer is in; eight, as a
// peer that does not wait (a test tool, a replay) keeps the line busy.
constexpr std::size_t kWindows[] = {1, 8};

constexpr const char* kPythonResponder = R"(
import os, sys
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
pending = 0
while True:
    data = os.read(fd, 4096)
    if not data:
        break
    pending += len(data)
    n, pending = divmod(pending, 4)
    if n:
        os.write(fd, b"R" * n)
)";

// The floor: the same loop in C++, in a child process. With `among_others`
// the loop waits with poll() for the line among three more sources that stay
// quiet (two pipes and a timer, as a program that also reads its operator,
// a stop request and a timer must) and then reads what is waiting: the most
// such a program can reach, and what Tapix's loop does.
pid_t StartFloor(const std::string& path, bool among_others) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | (among_others ? O_NONBLOCK : 0));
  if (fd < 0) ::_exit(1);
  int operator_input[2], stop[2];
  if (::pipe(operator_input) != 0 || ::pipe(stop) != 0) ::_exit(1);
  const int timer = ::timerfd_create(CLOCK_MONOTONIC, 0);
  pollfd sources[4] = {{stop[0], POLLIN, 0}, {operator_input[0], POLLIN, 0}, {timer, POLLIN, 0}, {fd, POLLIN, 0}};
  std::size_t pending = 0;
  char buffer[4096];
  char answers[4096 / kMessageBytes + 1];
  std::memset(answers, 'R', sizeof answers);
  for (;;) {
    if (among_others && ::poll(sources, 4, -1) < 0) ::_exit(1);
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EAGAIN) continue;
    if (n <= 0) ::_exit(0);
    pending += static_cast<std::size_t>(n);
    const std::size_t complete = pending / kMessageBytes;
    pending %= kMessageBytes;
    if (complete > 0 && ::write(fd, answers, complete) != static_cast<ssize_t>(complete)) ::_exit(0);
  }
}

pid_t StartPython(const std::string& path) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  ::execlp("python3", "python3", "-c", kPythonResponder, path.c_str(), static_cast<char*>(nullptr));
  ::_exit(127);
}

void Stop(pid_t child) {
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

bool PythonPresent() { return std::system("command -v python3 >/dev/null 2>&1") == 0; }

// What one drive counted: answers, and the time from the start to the last.
struct Driven {
  double answers = 0;
  double seconds = 0;
};

// Drives `fd` for `seconds` with messages back to back and returns the
// answers and the time they took. `tapix` (when given) has its log pipe drained, as a
// reader of its output would.
Driven DriveBackToBack(int fd, double seconds, std::size_t window, TapixProcess* tapix) {
  // The responder has the line open once the master no longer reports a
  // hang-up (what is written before that is lost); then one message is
  // answered before the clock starts.
  for (int i = 0; i < 1000; ++i) {
    pollfd p{fd, 0, 0};
    if (::poll(&p, 1, 0) == 0 || !(p.revents & POLLHUP)) break;
    ::usleep(10000);
  }
  PtyPair::WriteAll(fd, kMessage);
  if (PtyPair::ReadFor(fd, 1, 10000) != "R") return {};
  const std::string burst = [window] {
    std::string b;
    for (std::size_t i = 0; i < window; ++i) b += kMessage;
    return b;
  }();
  std::size_t written = 0, answered = 0;  // bytes written, answers read
  const auto start = Clock::now();
  const auto stop = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  auto last_answer = start;
  // The log pipe is waited on with the line, in the same call, as a reader
  // of both would: the driver then costs Tapix's run no more than the others'.
  const int log = tapix ? tapix->output() : -1;
  while (Clock::now() < stop) {
    const std::size_t allowed = (answered + window) * kMessageBytes;
    const bool room = written < allowed;
    pollfd p[2] = {{fd, static_cast<short>(POLLIN | (room ? POLLOUT : 0)), 0}, {log, POLLIN, 0}};
    if (::poll(p, log >= 0 ? 2 : 1, 100) < 0 && errno != EINTR) break;
    if (p[0].revents & POLLIN) {
      char buffer[4096];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      for (ssize_t i = 0; i < n; ++i)
        if (buffer[i] == 'R') ++answered;
      if (n > 0) last_answer = Clock::now();
    }
    if (room && (p[0].revents & POLLOUT)) {
      // Where the stream stands inside a message: a short write goes on there.
      const std::size_t offset = written % kMessageBytes;
      const ssize_t n = ::write(fd, burst.data() + offset, std::min(allowed - written, burst.size() - offset));
      if (n > 0) written += static_cast<std::size_t>(n);
    }
    if (log >= 0 && (p[1].revents & (POLLIN | POLLHUP))) tapix->ReadOutput();
  }
  return {static_cast<double>(answered), Seconds(last_answer - start)};
}

void RatesWithWindow(const Plan& plan, std::size_t window, Table& table) {
  Samples floor_rate, polling_rate, python_rate, tapix_rate;
  // The shares of one run, whose responders had the same machine: their
  // median drifts less than the share of two medians.
  Samples polling_share, tapix_share, tapix_to_python;
  const bool python = PythonPresent();
  // The responders take turns in slices of about a second, so that a change
  // in the machine's speed (other guests, the scheduler) touches each alike.
  const int slices = std::max(1, static_cast<int>(plan.rate_seconds + 0.5));
  const double slice = plan.rate_seconds / slices;
  for (int run = 0; run < plan.runs; ++run) {
    PtyPair floor_line, polling_line, python_line;
    const pid_t floor_child = StartFloor(floor_line.path(), false);
    const pid_t polling_child = StartFloor(polling_line.path(), true);
    const pid_t python_child = python ? StartPython(python_line.path()) : -1;
    Instance line;
    Driven floor_total, polling_total, python_total, tapix_total;
    const auto add = [](Driven& total, Driven one) {
      total.answers += one.answers;
      total.seconds += one.seconds;
    };
    for (int i = 0; i < slices; ++i) {
      add(floor_total, DriveBackToBack(floor_line.fd(), slice, window, nullptr));
      add(polling_total, DriveBackToBack(polling_line.fd(), slice, window, nullptr));
      if (python) add(python_total, DriveBackToBack(python_line.fd(), slice, window, nullptr));
      if (line.ready) add(tapix_total, DriveBackToBack(line.pty.fd(), slice, window, line.tapix.get()));
    }
    const auto rate = [](const Driven& total) { return total.seconds > 0 ? total.answers / total.seconds : 0; };
    floor_rate.Add(rate(floor_total));
    polling_rate.Add(rate(polling_total));
    if (python) python_rate.Add(rate(python_total));
    if (line.ready) tapix_rate.Add(rate(tapix_total));
    if (rate(floor_total) > 0) {
      polling_share.Add(rate(polling_total) / rate(floor_total));
      if (line.ready) tapix_share.Add(rate(tapix_total) / rate(floor_total));
    }
    if (line.ready && python && rate(python_total) > 0) tapix_to_python.Add(rate(tapix_total) / rate(python_total));
    Stop(floor_child);
    Stop(polling_child);
    if (python) Stop(python_child);
  }
  const std::string note = std::to_string(plan.runs) + " runs, window " + std::to_string(window) +
                           " messages, turns of " + Fixed(slice, 1, " s") + "; shares: median of the runs'";
  const std::string title = window == 1 ? "back to back \"A005\" -> R, 1 on the line: floor (C++), answers/s"
                                        : "back to back \"A005\" -> R, " + std::to_string(window) +
                                              " on the line: floor (C++), answers/s";
  table.push_back({title, Fixed(floor_rate.Median(), 0),
                   Fixed(floor_rate.Min(), 0), note});
  table.push_back({"                  the floor waiting on 4 sources (poll)", Fixed(polling_rate.Median(), 0),
                   Fixed(polling_rate.Min(), 0), Fixed(polling_share.Median() * 100, 0, " % of the floor")});
  if (python) {
    table.push_back({"                  minimal Python responder", Fixed(python_rate.Median(), 0),
                     Fixed(python_rate.Min(), 0), ""});
  } else {
    table.push_back({"                  minimal Python responder", "-", "-", "python3 not found"});
  }
  std::string verdict = Fixed(tapix_share.Median() * 100, 0, " % of the floor");
  if (python) verdict += ", x" + Fixed(tapix_to_python.Median(), 2) + " the Python responder";
  table.push_back({"                  Tapix (logging every line)", Fixed(tapix_rate.Median(), 0),
                   Fixed(tapix_rate.Min(), 0), verdict});
}

}  // namespace

void ResponderRates(const Plan& plan, Table& table) {
  for (const std::size_t window : kWindows) RatesWithWindow(plan, window, table);
}

}  // namespace tapix::bench
