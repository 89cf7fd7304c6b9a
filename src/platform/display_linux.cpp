#include "platform/display.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tapix {
namespace {

// Connects to a Unix socket (`abstract`: in the abstract namespace).
bool SocketAnswers(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.empty() || path.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const socklen_t length =
      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
  const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
  close(fd);
  return ok;
}

// DISPLAY is "[host]:n[.screen]". A local display is checked on its socket; a
// display on another host is taken on trust.
bool X11Available(const std::string& display) {
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = display.substr(0, colon);
  std::string number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
  if (!host.empty() && host != "unix" && host.front() != '/') return true;
  const std::string socket = "/tmp/.X11-unix/X" + number;
  return SocketAnswers(socket, true) || SocketAnswers(socket, false);
}

bool WaylandAvailable(const std::string& display, const std::string& runtime_dir) {
  if (display.empty()) return false;
  if (display.front() == '/') return SocketAnswers(display, false);
  if (runtime_dir.empty()) return false;
  return SocketAnswers(runtime_dir + "/" + display, false);
}

}  // namespace

bool DisplayAvailable(const EnvReader& env) {
  const std::string platform = env("QT_QPA_PLATFORM");
  const std::string x11 = env("DISPLAY");
  const std::string wayland = env("WAYLAND_DISPLAY");
  const std::string runtime = env("XDG_RUNTIME_DIR");
  const bool has_x11 = !x11.empty() && X11Available(x11);
  const bool has_wayland = WaylandAvailable(wayland, runtime);
  if (platform.empty()) return has_x11 || has_wayland;
  // Qt tries the platforms of a list in turn ("wayland;xcb").
  bool any = false;
  std::size_t start = 0;
  while (start <= platform.size()) {
    std::size_t end = platform.find(';', start);
    if (end == std::string::npos) end = platform.size();
    std::string name = platform.substr(start, end - start);
    name = name.substr(0, name.find(':'));  // "xcb:option" -> "xcb"
    if (name == "xcb") {
      any = any || has_x11;
    } else if (name.rfind("wayland", 0) == 0) {
      any = any || has_wayland;
    } else if (!name.empty()) {
      return true;  // offscreen, vnc, linuxfb, ...: no display server to check
    }
    start = end + 1;
  }
  return any;
}

bool DisplayAvailable() {
  return DisplayAvailable([](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value ? value : "");
  });
}

}  // namespace tapix
