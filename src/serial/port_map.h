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

  // Entries of this run only (the virtual line, a path not yet opened):
  // numbered like explicit ones and winning over them, but never stored and
  // never marking the map Dirty.
  void SetRunEntry(std::uint32_t port, const std::string& path);
  void RemoveRunEntry(std::uint32_t port);

  // A path that NumberFor numbered for this run becomes an explicit entry
  // (stored at the end) once its port has opened; nothing for other numbers.
  void Confirm(std::uint32_t port);

  // Removes the explicit entries whose device is gone for good (a
  // pseudo-terminal or a link of a virtual line that no longer exists); a
  // device that is merely unplugged keeps its number.
  void ForgetVanished();

  // The first number that no entry and no present device holds, other than
  // `avoid`; 0 only when none is free.
  std::uint32_t FirstFree(std::uint32_t avoid = 0) const;

  // Replaces the list of present devices (what a scan found), in the order
  // in which they get numbers.
  void SetPresent(std::vector<std::string> devices);

  // The device path for port n, "" when n has none.
  std::string DevicePath(std::uint32_t port) const;

  // The number of a device path; a path without one gets a run entry at the
  // first free number (from 1), which Confirm makes explicit once it opened.
  // 0 only when no number is free.
  std::uint32_t NumberFor(const std::string& path);

  // All numbered devices, ascending by number.
  std::map<std::uint32_t, std::string> All() const;

  // True when the entries changed since the last call of ClearDirty (so the
  // store knows whether to write them).
  bool Dirty() const { return dirty_; }
  void ClearDirty() { dirty_ = false; }

 private:
  std::map<std::uint32_t, std::string> explicit_;
  std::map<std::uint32_t, std::string> run_;
  std::map<std::uint32_t, std::string> provisional_;  // run entries NumberFor made
  std::vector<std::string> present_;
  bool dirty_ = false;
};

// The one port map of the process. Empty until start-up loads the stored
// entries and RefreshPresentPorts (present_ports.h) adds the devices found.
PortMap& ProcessPortMap();

// True when two paths name one device (platform file). Linux: the same text,
// or the same file once links are resolved (/dev/serial/by-id/... and
// /dev/ttyUSB0).
bool SameDevice(const std::string& a, const std::string& b);

// True when `path` named a device that cannot come back once it is gone
// (platform file). Linux: a pseudo-terminal (/dev/pts/N) or a path outside
// /dev (the link of a virtual line) that no longer exists; a device node or
// udev link under /dev that is missing now is an adapter unplugged.
bool DeviceGoneForGood(const std::string& path);

}  // namespace tapix
