// The parts of start-up and shutdown that only one platform has (one file
// each). Linux: a device path in the port field, the port map beside the
// settings, the virtual line (--pty). Windows: port n is COMn; settings that
// HKEY_LOCAL_MACHINE refuses go to the user's own key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "log/console.h"
#include "serial/port_settings.h"

namespace tapix {

struct Session;

// True where --pty can make a virtual line.
bool VirtualLineSupported();

// The help line that explains the port field.
const char* PortFieldHelp();

// The help line of exit code 0: the ways a run ends normally.
const char* StopRequestsHelp();

// Readies the present ports (serial/present_ports.h). Linux: loads the port
// map's stored entries, drops those whose device cannot come back, and looks
// which devices are there. Windows: nothing (port n is COMn).
void LoadPortNumbers(std::string_view key_name, std::string_view base_path);

// The console window found at start-up (a HWND; 0 when there is none, and
// always on Linux): the owner of the Windows build's dialogs.
std::uintptr_t ConsoleWindow();

class RunPlatform {
 public:
  RunPlatform(Console& console, std::string_view key_name, std::string_view base_path);
  ~RunPlatform();
  RunPlatform(const RunPlatform&) = delete;
  RunPlatform& operator=(const RunPlatform&) = delete;

  // Finds the console window and gives it the program's icon (Windows).
  void MarkConsoleWindow();

  // Loads the stored settings (and what the platform keeps beside them).
  void Load(PortSettings& settings);

  // Applies a first argument whose port field names a device path (Linux),
  // recording what was read in `trace`; false for every other argument,
  // which the common grammar then reads.
  bool ApplyDevicePath(PortSettings& settings, const std::string& argument, ArgumentTrace& trace);

  // --pty[=LINK]: makes the virtual line and points the port number at it,
  // avoiding `kept_port`. False (after its console lines) when it cannot.
  bool StartVirtualLine(const std::string& link, Session& session, std::uint32_t kept_port);

  // The virtual line's port number, 0 when there is none.
  std::uint32_t VirtualPort() const;

  // Saves the settings at the end of the run (the virtual line closed first).
  void Save(const PortSettings& settings);

 private:
  struct State;
  std::unique_ptr<State> state_;
  Console& console_;
  std::string key_name_;
  std::string base_path_;
};

}  // namespace tapix
