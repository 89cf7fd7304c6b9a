// The event loop on Linux, over a port and console input the test feeds
// through pipes: the order in which ready sources are handled, a stop amid a
// backlog of commands, an idle loop that sleeps, a hang-up said once, and the
// ends of a run for want of anything that could still happen; over pty pairs
// behind links the port map names: lines that heal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "app/events.h"
#include "app/exit_codes.h"
#include "app/memory_panel.h"
#include "app/tap.h"
#include "app/window_commands.h"
#include "serial/port.h"
#include "app/control_ids.h"
#include "fake_console.h"
#include "pipe_device.h"
#include "platform/signals.h"
#include "pty_pair.h"
#include "serial/port.h"
#include "serial/port_map.h"

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

// A device behind a link that the port map gives a number, as a USB adapter
// is reached through its by-id link: it can go away (its pty closed, the
// link removed) and come back (a new pty behind the same link).
class ComingBack {
 public:
  explicit ComingBack(std::uint32_t number) : number_(number) {
    char pattern[] = "/tmp/tapix-heal-XXXXXX";
    folder_ = ::mkdtemp(pattern);
    link_ = folder_ + "/ttyUSB-by-id";
    ProcessPortMap().SetRunEntry(number_, link_);
    Back();
  }
  ~ComingBack() {
    ProcessPortMap().RemoveRunEntry(number_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  void Gone() {
    pty_.reset();
    std::filesystem::remove(link_);
  }
  void Back() {
    pty_ = std::make_unique<testing::PtyPair>();
    std::filesystem::create_symlink(pty_->SlavePath(), link_);
  }
  testing::PtyPair& Peer() { return *pty_; }
  std::uint32_t Number() const { return number_; }

 private:
  std::uint32_t number_;
  std::string folder_;
  std::string link_;
  std::unique_ptr<testing::PtyPair> pty_;
};

struct HealingTest : EventLoopTest {
  HealingTest() { session.port.reset(); }
  // Opens port n as start-up does.
  std::unique_ptr<SerialDevice> OpenNumber(std::uint32_t n) {
    PortSettings settings = session.settings;
    settings.port = n;
    std::unique_ptr<SerialDevice> device = Open(settings);
    SetPortTimeouts(device.get());
    return device;
  }
  // Runs the loop while `peer` plays its part on a thread, then stops it.
  void RunWith(EventLoop& loop, const std::function<void()>& peer) {
    std::thread player([&peer] {
      peer();
      std::raise(SIGTERM);
    });
    loop.Run();
    player.join();
  }
};

// With Autoconnect 1 the port that hung up is waited for (the run does not
// end for want of it, though no more input comes), tried a few times a
// second, and once its device is back it is opened again and answers.
TEST_F(HealingTest, APortThatComesBackIsOpenedAgainAndAnswers) {
  ComingBack device(201);
  session.settings.port = device.Number();
  session.settings.Autoconnect = 1;
  session.port = OpenNumber(device.Number());
  ASSERT_NE(session.port, nullptr);
  typed.End();
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  std::string answer;
  RunWith(loop, [&] {
    std::this_thread::sleep_for(milliseconds(100));
    device.Gone();
    std::this_thread::sleep_for(milliseconds(1000));
    device.Back();
    std::this_thread::sleep_for(milliseconds(600));
    device.Peer().Send("A005");
    answer = device.Peer().Receive(1, 3000);
  });
  EXPECT_EQ(answer, "R");
  EXPECT_EQ(Count("COM201: Verbindung unterbrochen"), 1u) << console.log_;
  EXPECT_EQ(Count("COM201: Verbindung wieder hergestellt\n"), 1u) << console.log_;
  EXPECT_NE(console.log_.find("wieder hergestellt\nA005\nR\n"), std::string::npos) << console.log_;
  EXPECT_EQ(Count("CreateFile"), 0u) << "the tries are quiet:\n" << console.log_;
  // A second of waiting at four tries a second, and the few events around
  // it: a loop that spins makes thousands of turns.
  EXPECT_LT(loop.Turns(), 40u);
  EXPECT_EQ(session.exit_code, kExitNormal);
}

// With Autoconnect 0 nothing is waited for. A port chosen during a wait ends
// the wait, and so does the port opened again some other way.
TEST_F(HealingTest, WithoutAutoconnectOrWhenAnotherPortIsChosenNothingIsWaitedFor) {
  ComingBack device(202);
  session.settings.port = device.Number();
  session.port = OpenNumber(device.Number());
  device.Gone();
  OnPortInput(session);  // the read finds the hang-up
  ASSERT_EQ(session.port, nullptr);
  EXPECT_FALSE(session.port_return.Waiting());

  device.Back();
  session.port = OpenNumber(device.Number());
  session.settings.Autoconnect = 1;
  device.Gone();
  OnPortInput(session);  // the read finds the hang-up
  ASSERT_EQ(session.port, nullptr);
  EXPECT_TRUE(session.port_return.Waiting());
  EXPECT_TRUE(NextDeadline(session));
  panel.ComboSelect(0);  // the empty entry
  OnCommand(session, ctl::PortCombo);
  EXPECT_FALSE(session.port_return.Waiting());
  EXPECT_FALSE(NextDeadline(session));
  device.Back();
  OnTimeout(session, std::chrono::steady_clock::now() + std::chrono::seconds(1));
  EXPECT_EQ(session.port, nullptr) << "the old port came back after another was chosen";

  // Waited for, then opened some other way: no deadline stays behind (a past
  // one would keep the loop from sleeping).
  session.settings.port = device.Number();
  session.port = OpenNumber(device.Number());
  device.Gone();
  OnPortInput(session);
  ASSERT_TRUE(session.port_return.Waiting());
  device.Back();
  session.port = OpenNumber(device.Number());
  EXPECT_FALSE(NextDeadline(session));
  OnTimeout(session, std::chrono::steady_clock::now() + std::chrono::seconds(1));
  EXPECT_FALSE(session.port_return.Waiting());
}

// The tap waits for each side that goes away, always: what the remaining
// side sends meanwhile is logged as not forwarded and not kept, and
// forwarding goes on once the side is back. With both away it waits on.
TEST_F(HealingTest, TheTapWaitsForItsSidesAndMarksWhatItCouldNotForward) {
  ComingBack kasse(203);
  ComingBack isb(204);
  Tap tap(OpenNumber(kasse.Number()), OpenNumber(isb.Number()), true, session.options,
          [this](TrafficBatch& events) { Publish(session, events); });
  session.tap = &tap;
  session.tap_ports[Tap::Register] = kasse.Number();
  session.tap_ports[Tap::Dispenser] = isb.Number();
  typed.End();
  EventLoop loop(session, &typed.input, EventLoop::Front::Console);
  std::string forwarded, kept;
  RunWith(loop, [&] {
    std::this_thread::sleep_for(milliseconds(100));
    kasse.Gone();
    std::this_thread::sleep_for(milliseconds(300));
    isb.Peer().Send("R");
    std::this_thread::sleep_for(milliseconds(300));
    isb.Gone();  // both away: the tap waits on
    std::this_thread::sleep_for(milliseconds(600));
    kasse.Back();
    isb.Back();
    std::this_thread::sleep_for(milliseconds(700));
    kept = kasse.Peer().Receive(1, 200);
    kasse.Peer().Send("A005");
    forwarded = isb.Peer().Receive(4, 3000);
    std::this_thread::sleep_for(milliseconds(100));
  });
  session.tap = nullptr;
  EXPECT_EQ(forwarded, "A005");
  EXPECT_EQ(kept, "") << "what could not be forwarded was kept and sent later";
  for (const char* port : {"COM203", "COM204"}) {
    EXPECT_EQ(Count(std::string(port) + ": Verbindung unterbrochen"), 1u) << console.log_;
    EXPECT_EQ(Count(std::string(port) + ": Verbindung wieder hergestellt\n"), 1u) << console.log_;
  }
  EXPECT_NE(console.log_.find("ISB > Kasse: R (nicht weitergeleitet)\n"), std::string::npos) << console.log_;
  EXPECT_NE(console.log_.find("Kasse > ISB: A005\n"), std::string::npos) << console.log_;
  EXPECT_EQ(Count("Beide"), 0u);
  EXPECT_EQ(session.exit_code, kExitNormal);
  EXPECT_LT(loop.Turns(), 60u);
}

}  // namespace
}  // namespace tapix
