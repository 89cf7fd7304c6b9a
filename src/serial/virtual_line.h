// A virtual serial line: a pseudo-terminal pair whose master end Tapix uses as
// a port, while the peer (cash register software, or a second Tapix) opens
// the slave path like a serial device.
//
// Tapix keeps one descriptor of the slave open itself, so the master never
// sees a hang-up when the peer closes and reopens its end, and the slave is
// set raw so that a peer that does not set raw mode still gets the bytes
// unchanged. The line is entered in a port map under a number; OpenPort
// recognises its path ("virtual:<slave path>") and opens the master end, so
// closing, reopening and reselecting that number work for the whole run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "serial/port_map.h"
#include "serial/serial_device.h"

namespace tapix {

inline constexpr std::string_view kVirtualLinePrefix = "virtual:";

class VirtualLine {
 public:
  VirtualLine() = default;
  ~VirtualLine();
  VirtualLine(const VirtualLine&) = delete;
  VirtualLine& operator=(const VirtualLine&) = delete;

  // Creates the pair. With `link`, also a symbolic link of that name to the
  // slave path: a stale link is replaced; a link to the slave of a line that
  // is live (in this or another run) is left alone and the creation fails
  // with EBUSY (BusyLinkTarget names that slave); anything else there is left
  // alone and the creation fails with EEXIST. False with the last error set.
  bool Create(const std::string& link = {});

  // After a Create refused with EBUSY: the live line's slave the link names.
  const std::string& BusyLinkTarget() const { return busy_link_target_; }

  // Enters the line in `map` at the first number that no entry and no present
  // device holds, and that is not `avoid` (the port number the run keeps for
  // the store): the real ports keep their numbers, and no number the line had
  // is left behind for a later run to find on another device. Returns the
  // number (0 before Create).
  std::uint32_t Register(PortMap& map, std::uint32_t avoid);

  // Removes the entry, the link (when it still points here) and the pair.
  // A port still open on the line hangs up once the peer has closed as well.
  void Close();

  bool IsOpen() const { return state_ != nullptr; }
  const std::string& SlavePath() const { return slave_path_; }
  const std::string& LinkPath() const { return link_path_; }
  // The path under which the line stands in a port map.
  std::string MapPath() const;
  std::uint32_t Port() const { return port_; }

  struct State;

 private:
  std::shared_ptr<State> state_;
  std::string slave_path_;
  std::string link_path_;
  std::string busy_link_target_;
  PortMap* map_ = nullptr;
  std::uint32_t port_ = 0;
};

inline bool IsVirtualLinePath(std::string_view path) {
  return path.substr(0, kVirtualLinePrefix.size()) == kVirtualLinePrefix;
}

// Opens Tapix's end of the live virtual line with the map path `path`. Null
// with ENOENT when no such line exists, EBUSY while it is open already.
std::unique_ptr<SerialDevice> OpenVirtualLine(std::string_view path);

}  // namespace tapix
