// A session wired to a scripted device, a capturing console and an in-memory
// panel, with the start values of a run and the port's time-outs.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "app/memory_panel.h"
#include "app/receiver.h"
#include "app/session.h"
#include "app/tap.h"
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

  // A forwarding tap between two scripted devices, its events published by
  // the session as the loop's would be.
  struct ScriptedTap {
    ScriptedDevice* register_side;
    ScriptedDevice* dispenser_side;
    std::unique_ptr<Tap> tap;
  };
  ScriptedTap MakeTap() {
    auto kasse = std::make_unique<ScriptedDevice>();
    auto isb = std::make_unique<ScriptedDevice>();
    ScriptedTap made{kasse.get(), isb.get(), nullptr};
    made.tap = std::make_unique<Tap>(std::move(kasse), std::move(isb), true, session.options,
                                     [this](TrafficBatch& events) { Publish(session, events); });
    return made;
  }

  Session session;
  ScriptedDevice* device = nullptr;
  CaptureConsole console;
  MemoryPanel panel;
  std::chrono::steady_clock::time_point now{};  // the line's clock
};

}  // namespace tapix::testing
