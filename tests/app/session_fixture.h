// A session wired to a scripted device, a capturing console and an in-memory
// panel, with the start values of a run and the port's time-outs.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "app/memory_panel.h"
#include "app/receiver.h"
#include "app/session.h"
#include "fake_console.h"
#include "fake_device.h"
#include "serial/port.h"

namespace tapix::testing {

struct SessionFixture {
  SessionFixture() {
    SetDefaults(session.settings);
    ResetOptions(session);
    auto dev = std::make_unique<ScriptedDevice>();
    device = dev.get();
    session.port = std::move(dev);
    SetPortTimeouts(session.port.get());
    session.console = &console;
  }
  // One burst (no pause inside) as the loop reads it from the port, after a
  // pause longer than any time-out; a message the burst leaves open is cut
  // once its deadline has passed.
  void Receive(const std::string& burst) {
    now += std::chrono::seconds(10);
    session.receiver.Take(session, burst, {now, LogClock::time_point{}});
    now += std::chrono::seconds(10);
    session.receiver.Expire(session, now);
  }
  void UseWindow() { session.window = &panel; }

  Session session;
  ScriptedDevice* device = nullptr;
  CaptureConsole console;
  MemoryPanel panel;
  std::chrono::steady_clock::time_point now{};  // the line's clock
};

}  // namespace tapix::testing
