#include "serial/port_map.h"

namespace tapix {

void PortMap::SetExplicit(std::uint32_t port, const std::string& path) {
  if (port == 0) return;
  auto it = explicit_.find(port);
  if (it != explicit_.end() && it->second == path) return;
  explicit_[port] = path;
  dirty_ = true;
}

void PortMap::RemoveExplicit(std::uint32_t port) {
  if (explicit_.erase(port) != 0) dirty_ = true;
}

void PortMap::SetRunEntry(std::uint32_t port, const std::string& path) {
  if (port == 0) return;
  run_[port] = path;
  provisional_.erase(port);
}

void PortMap::RemoveRunEntry(std::uint32_t port) {
  run_.erase(port);
  provisional_.erase(port);
}

void PortMap::Confirm(std::uint32_t port) {
  auto it = provisional_.find(port);
  if (it == provisional_.end()) return;
  const std::string path = it->second;
  provisional_.erase(it);
  run_.erase(port);
  SetExplicit(port, path);
}

void PortMap::ForgetVanished() {
  for (auto it = explicit_.begin(); it != explicit_.end();) {
    if (DeviceGoneForGood(it->second)) {
      it = explicit_.erase(it);
      dirty_ = true;
    } else {
      ++it;
    }
  }
}

std::uint32_t PortMap::FirstFree(std::uint32_t avoid) const {
  const auto all = All();
  for (std::uint32_t n = 1; n != 0; ++n)
    if (n != avoid && all.count(n) == 0) return n;
  return 0;
}

void PortMap::SetPresent(std::vector<std::string> devices) { present_ = std::move(devices); }

std::map<std::uint32_t, std::string> PortMap::All() const {
  std::map<std::uint32_t, std::string> all = explicit_;
  for (const auto& [port, path] : run_) all[port] = path;

  std::uint32_t next = 1;
  for (const std::string& device : present_) {
    bool named = false;
    for (const auto& [port, path] : all) {
      if (SameDevice(path, device)) {
        named = true;  // an entry already gives it a number
        break;
      }
    }
    if (named) continue;
    while (next != 0 && all.count(next) != 0) ++next;
    if (next == 0) break;
    all[next] = device;
  }
  return all;
}

std::string PortMap::DevicePath(std::uint32_t port) const {
  if (port == 0) return {};
  const auto all = All();
  auto it = all.find(port);
  return it == all.end() ? std::string() : it->second;
}

std::uint32_t PortMap::NumberFor(const std::string& path) {
  const auto all = All();
  for (const auto& [port, device] : all)
    if (SameDevice(device, path)) return port;
  // The first number that nothing uses, so no present device moves. It is
  // stored only once the device has opened: a mistyped path is not pinned.
  const std::uint32_t n = FirstFree();
  if (n == 0) return 0;
  SetRunEntry(n, path);
  provisional_[n] = path;
  return n;
}

PortMap& ProcessPortMap() {
  static PortMap* map = new PortMap;  // never destroyed: used until the process ends
  return *map;
}

}  // namespace tapix
