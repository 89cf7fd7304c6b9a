// One poll() on both ports, standard input and the stop-signal pipe, with the
// time-out of the next message a pause would cut. Each byte is forwarded as
// soon as poll() reports it, so the tap adds no waiting of its own.
#include <poll.h>

#include <cerrno>
#include <chrono>

#include "app/console_commands.h"
#include "platform/console_input.h"
#include "platform/signals.h"
#include "app/tap_start.h"
#include "app/window_commands.h"
#include "ui/headless/tap_loop.h"

namespace tapix {

void RunTapLoop(Session& session) {
  Tap& tap = *session.tap;
  const int stop_fd = InstallStopSignals();
  LineReader input(0);
  bool input_open = true;
  bool side_open[2] = {true, true};

  while (!session.quit_requested) {
    if (EndWhenBothSidesGone(session, side_open)) break;
    pollfd fds[4] = {
        {stop_fd, POLLIN, 0},
        {input_open ? 0 : -1, POLLIN, 0},
        {side_open[0] ? static_cast<int>(tap.Device(Tap::Register).InputWaitHandle()) : -1, POLLIN, 0},
        {side_open[1] ? static_cast<int>(tap.Device(Tap::Dispenser).InputWaitHandle()) : -1, POLLIN, 0},
    };
    const int ready = ::poll(fds, 4, tap.WaitMillis(std::chrono::steady_clock::now()));
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents && TakeStopSignal()) {
      OnCommand(session, 1);
      break;
    }
    for (int side = 0; side < 2; ++side) {
      if (fds[2 + side].revents) side_open[side] = ServeTapSide(session, static_cast<Tap::Side>(side));
    }
    tap.Expire(std::chrono::steady_clock::now());
    if (fds[1].revents) {
      input_open = input.ReadAvailable([&](std::string_view line) {
        if (!session.quit_requested) ExecuteCommandLine(session, line);
      });
    }
  }
}

}  // namespace tapix
