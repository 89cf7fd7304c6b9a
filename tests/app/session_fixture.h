// A session wired to a scripted device, a capturing console and an in-memory
// panel, with the start values of a run.
#pragma once

#include <memory>
#include <string>

#include "app/memory_panel.h"
#include "app/receiver.h"
#include "app/session.h"
#include "fake_console.h"
#include "fake_device.h"

namespace tapix::testing {

struct SessionFixture {
  SessionFixture() {
    SetDefaults(session.settings);
    ResetOptions(session);
    auto dev = std::make_unique<ScriptedDevice>();
    device = dev.get();
    session.port = std::move(dev);
    session.console = &console;
  }
  // Feeds one burst (no pause inside) and dispatches every byte the loop would
  // read from it, as the polling loop does.
  void Receive(const std::string& burst) {
    device->Feed(burst);
    unsigned char byte;
    while (device->Read(&byte, 1) == 1) DispatchByte(session, byte);
  }
  void UseWindow() { session.window = &panel; }

  Session session;
  ScriptedDevice* device = nullptr;
  CaptureConsole console;
  MemoryPanel panel;
};

}  // namespace tapix::testing
