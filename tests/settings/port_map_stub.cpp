// Stand-in for the port map's entry bookkeeping while serial/port_map.cpp is
// not in this tree (tests/settings/CMakeLists.txt adds it only then).
#include "serial/port_map.h"

namespace tapix {

void PortMap::SetExplicit(std::uint32_t port, const std::string& path) {
  auto it = explicit_.find(port);
  if (it != explicit_.end() && it->second == path) return;
  explicit_[port] = path;
  dirty_ = true;
}

void PortMap::RemoveExplicit(std::uint32_t port) {
  if (explicit_.erase(port) != 0) dirty_ = true;
}

}  // namespace tapix
