// The event loop on Linux, over a port and console input the test feeds
// through pipes: the order in which ready sources are handled, a stop amid a
// backlog of commands, an idle loop that sleeps, a hang-up said once, and the
// ends of a run for want of anything that could still happen.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <thread>

#include "app/events.h"
#include "app/exit_codes.h"
#include "app/memory_panel.h"
#include "app/tap.h"
#include "app/window_commands.h"
#include "serial/port.h"
#include "fake_console.h"
#include "pipe_device.h"
#include "platform/signals.h"

namespace tapix {
namespace {

using std::chrono::milliseconds;
using testing::PipeDevice;

// Standard input as the test types it.
struct Typed {
  Typed() : input(Open()) {}
  ~Typed() {
    End();
    ::close(fds[0]);
  }
  WaitHandle Open() {
    EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    return fds[0];
  }
  void Type(const std::string& text) {
    ASSERT_EQ(::write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void End() {
    if (fds[1] >= 0) ::close(fds[1]);
    fds[1] = -1;
  }
  int fds[2] = {-1, -1};
  ConsoleInput input;
};

struct EventLoopTest : ::testing::Test {
  EventLoopTest() {
    InstallStopSignals();
    TakeStopSignal();
    SetDefaults(session.settings);
    ResetOptions(session);
    session.console = &console;
    auto device = std::make_unique<PipeDevice>();
    line = device.get();
    session.port = std::move(device);
    InitWindow(session, panel);
  }
  ~EventLoopTest() override { ForgetWindow(session); }

  // Runs `loop` while a helper thread sends a stop request after `idle`.
  void RunThenStop(EventLoop& loop, milliseconds idle) {
    std::thread stopper([idle] {
      std::this_thread::sleep_for(idle);
      std::raise(SIGTERM);
    });
    loop.Run();
    stopper.join();
  }

  std::size_t Count(const std::string& text) const {
    std::size_t n = 0;
    for (auto at = console.log_.find(text); at != std::string::npos; at = console.log_.find(text, at + 1)) ++n;
    return n;
  }

  Session session;
  testing::CaptureConsole console;
  MemoryPanel panel;
  PipeDevice* line = nullptr;
  Typed typed;
};

// Console lines before the timer and before the port: the options that all
// the waiting lines set count for the tick and for the message already on
// the line.
TEST_F(EventLoopTest, ConsoleLinesComeBeforeTheTimerAndThePort) {
  EventLoop loop(session, &typed.input, EventLoop::Front::Console, 20);
  typed.Type("Checksum on\nAnswerOk off\nAutoQuery on\n");
  ASSERT_TRUE(line->Feed("A005t"));
  std::this_thread::sleep_for(milliseconds(60));  // a tick waits
  loop.Sources();
  EventSources ready;
  for (EventSource s : {EventSource::Port, EventSource::Timer, EventSource::Console}) ready.Add(s);
  loop.Dispatch(ready);
  EXPECT_NE(console.log_.find("A005t\nF\n"), std::string::npos) << "read with the check character:\n"
                                                                 << console.log_;
  EXPECT_EQ(line->written_, "FE") << "the tick found AutoQuery on and its query went out at once";
}

// The port's receiver across events: a message in pieces is one, a request
// typed meanwhile waits for its end, and one that stays short is cut by the
// deadline, after which the request goes out.
TEST_F(EventLoopTest, ARequestWaitsForTheMessageBeingReadAndTheDeadlineCutsIt) {
  SetPortTimeouts(line);
  ASSERT_TRUE(line->Feed("T"));
  OnPortInput(session);
  ASSERT_TRUE(NextDeadline(session));
  OnConsoleLine(session, "A 5");
  EXPECT_EQ(line->written_, "") << "no request between a message's first byte and its end";
  ASSERT_TRUE(line->Feed("0120451"));
  OnPortInput(session);
  EXPECT_EQ(line->written_, "RA005");
  EXPECT_FALSE(NextDeadline(session));

  ASSERT_TRUE(line->Feed("B0"));
  OnPortInput(session);
  OnConsoleLine(session, "E");
  const std::optional<SteadyTime> deadline = NextDeadline(session);
  ASSERT_TRUE(deadline);
  OnTimeout(session, *deadline);
  EXPECT_EQ(line->written_, "RA005") << "cut only once the deadline has passed";
  OnTimeout(session, *deadline + milliseconds(1));
  EXPECT_EQ(line->written_, "RA005RE");
  // Each command's acknowledgement comes when it took effect: the request
  // is queued then, and goes out once the message being read has ended.
  EXPECT_EQ(console.all_,
            "OK: Anfrage A005\nT0120451\nR\nA005\nOK: Anfrage E\nB0 timeout\nR\nE\n");
}

// At the deadline, bytes that wait on the port unseen (the loop was busy, or
// a modal dialog held it) are read before anything is cut.
TEST_F(EventLoopTest, TheDeadlineReadsWhatWaitsBeforeItCuts) {
  SetPortTimeouts(line);
  ASSERT_TRUE(line->Feed("B0"));
  OnPortInput(session);
  ASSERT_TRUE(line->Feed("01"));
  OnTimeout(session, std::chrono::steady_clock::now() + std::chrono::seconds(5));
  EXPECT_EQ(console.log_, "B001\nR\n");
}

// The loop itself: a message that stays short is cut without any input, and
// the loop wakes for that and hardly at all otherwise.
TEST_F(EventLoopTest, TheLoopWakesForTheDeadlineOfAShortMessage) {
  SetPortTimeouts(line);
  ASSERT_TRUE(line->Feed("C0"));
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  RunThenStop(loop, milliseconds(600));
  EXPECT_EQ(console.log_, "C0 timeout\nR\n");
  EXPECT_EQ(line->written_, "R");
  EXPECT_LT(loop.Turns(), 6u);
}

// A stop request amid a long backlog of commands ends the run after the
// command that was running, whatever is still queued.
TEST_F(EventLoopTest, AStopAmidQueuedCommandsEndsTheRunBeforeTheRest) {
  std::string backlog;
  for (int i = 0; i < 2000; ++i) backlog += "A 5\n";
  int writes = 0;
  line->on_write_ = [&writes](std::string_view) {
    if (++writes == 3) std::raise(SIGTERM);
  };
  std::thread feeder([&] { typed.Type(backlog); });  // more than a pipe holds
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  loop.Run();
  EXPECT_TRUE(session.quit_requested);
  EXPECT_EQ(session.exit_code, kExitNormal);
  EXPECT_EQ(line->written_, "A005A005A005");
  typed.End();
  char sink[4096];
  while (::read(typed.fds[0], sink, sizeof sink) > 0) {
  }
  feeder.join();
}

TEST_F(EventLoopTest, AnIdleLoopSleepsWithAPortAndWithout) {
  {
    EventLoop loop(session, &typed.input, EventLoop::Front::Console);
    RunThenStop(loop, milliseconds(1000));
    EXPECT_LT(loop.Turns(), 5u) << "an idle loop with a port and input keeps waking";
  }
  session.quit_requested = false;
  session.port.reset();
  line = nullptr;
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  RunThenStop(loop, milliseconds(1000));
  EXPECT_LT(loop.Turns(), 5u) << "an idle loop without a port keeps waking";
  EXPECT_TRUE(session.quit_requested);
}

// The peer goes away: one line, the port closed, and the loop sleeps on.
TEST_F(EventLoopTest, AHangUpIsSaidOnceAndTheLoopSleepsAfterIt) {
  line->CloseFeed();
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  RunThenStop(loop, milliseconds(1000));
  EXPECT_EQ(session.port, nullptr);
  EXPECT_EQ(Count("Verbindung unterbrochen"), 1u) << console.log_;
  EXPECT_LT(loop.Turns(), 6u);
  EXPECT_EQ(session.exit_code, kExitNormal);
}

// Lines the port question left after its answer run at once, without
// waiting for more input.
TEST_F(EventLoopTest, LinesLeftByThePortQuestionRunWithoutWaiting) {
  typed.Type("3\nA 5\n");
  std::string answer;
  ASSERT_TRUE(typed.input.ReadAnswer(answer, InstallStopSignals()));
  EXPECT_EQ(answer, "3");
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  RunThenStop(loop, milliseconds(300));
  EXPECT_EQ(line->written_, "A005");
}

TEST_F(EventLoopTest, WithoutAPortOrMoreInputTheRunEnds) {
  typed.Type("A 5\n");
  typed.End();
  line->CloseFeed();
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  loop.Run();  // ends by itself
  EXPECT_EQ(session.exit_code, kExitNoPort);
  EXPECT_TRUE(session.quit_requested);
  EXPECT_EQ(Count("Keine Schnittstelle offen und keine Eingabe mehr: Ende.\n"), 1u) << console.log_;
  EXPECT_EQ(Count("Verbindung unterbrochen"), 1u);
}

TEST_F(EventLoopTest, WithAWindowTheRunGoesOnWithoutPortAndInput) {
  typed.End();
  line->CloseFeed();
  EventLoop loop(session, &typed.input, EventLoop::Front::Window);
  RunThenStop(loop, milliseconds(300));
  EXPECT_EQ(session.exit_code, kExitNormal);
  EXPECT_EQ(Count("Keine Schnittstelle"), 0u);
}

// The tap: each side's hang-up is said once; with both gone the run ends.
TEST_F(EventLoopTest, TheTapEndsWhenBothSidesHaveHungUp) {
  auto dispenser = std::make_unique<PipeDevice>();
  PipeDevice* isb = dispenser.get();
  Tap tap(std::move(session.port), std::move(dispenser), true, session.options,
          [this](TrafficBatch& events) { Publish(session, events); });
  session.tap = &tap;
  session.tap_ports[Tap::Register] = 1;
  session.tap_ports[Tap::Dispenser] = 2;
  ASSERT_TRUE(line->Feed("A005"));
  line->CloseFeed();
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  std::thread later([isb] {
    std::this_thread::sleep_for(milliseconds(300));
    isb->CloseFeed();
  });
  loop.Run();
  later.join();
  session.tap = nullptr;
  EXPECT_EQ(isb->written_, "A005") << "forwarded before the side hung up";
  EXPECT_EQ(Count("COM1: Verbindung unterbrochen"), 1u) << console.log_;
  EXPECT_EQ(Count("COM2: Verbindung unterbrochen"), 1u) << console.log_;
  EXPECT_NE(console.log_.find("Beide Schnittstellen unterbrochen: Ende.\n"), std::string::npos);
  EXPECT_EQ(session.exit_code, kExitNoPort);
}

}  // namespace
}  // namespace tapix
