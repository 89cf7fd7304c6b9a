// Port numbers (the n of COMn) and the devices behind them.
//
// Explicit entries (from the settings store, or a path given on the command
// line) come first; numbers not given there are filled from the serial
// devices really present, in a stable order. The virtual line of a run is an
// entry like any other, with a path that OpenPort recognises.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tapix {

class PortMap {
 public:
  // Explicit entries, as stored ("COMn" = path).
  void SetExplicit(std::uint32_t port, const std::string& path);
  void RemoveExplicit(std::uint32_t port);
  const std::map<std::uint32_t, std::string>& Explicit() const { return explicit_; }

  // Replaces the list of present devices (what enumeration found), in order.
  void SetPresent(std::vector<std::string> devices);

  // The device path for port n, "" when n has none.
  std::string DevicePath(std::uint32_t port) const;

  // The number of a device path; a path without one gets a new explicit entry
  // at the first free number (from 1). 0 only when no number is free.
  std::uint32_t NumberFor(const std::string& path);

  // All numbered devices, ascending by number.
  std::map<std::uint32_t, std::string> All() const;

  // True when the entries changed since the last call of ClearDirty (so the
  // store knows whether to write them).
  bool Dirty() const { return dirty_; }
  void ClearDirty() { dirty_ = false; }

 private:
  std::map<std::uint32_t, std::string> explicit_;
  std::vector<std::string> present_;
  bool dirty_ = false;
};

// The one port map of the process.
PortMap& Ports();

// Finds the serial devices present on this machine (platform file), in the
// order in which they get numbers.
std::vector<std::string> EnumerateSerialDevices();

}  // namespace tapix
