#include "serial/virtual_line.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <map>
#include <mutex>

#include "serial/port.h"
#include "serial/serial_device_linux.h"

namespace tapix {

struct VirtualLine::State {
  int master = -1;
  int slave = -1;  // held so the master never hangs up while the peer is away
  bool in_use = false;
  std::mutex mutex;  // guards in_use

  void CloseFds() {
    if (slave >= 0) ::close(slave);
    if (master >= 0) ::close(master);
    slave = master = -1;
  }
  ~State() { CloseFds(); }
};

namespace {

// The live lines by map path.
std::mutex registry_mutex;
std::map<std::string, std::weak_ptr<VirtualLine::State>, std::less<>>& Registry() {
  static auto* registry = new std::map<std::string, std::weak_ptr<VirtualLine::State>, std::less<>>;
  return *registry;
}

// The whole file, for the lock that marks a slave as a live line's.
struct flock WholeFile(short type) {
  struct flock lock{};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
}

// True when `path` is the slave of a virtual line that another line (of this
// run or another) holds, and not `own`, this line's own slave. Every line
// keeps a write lock on its own slave descriptor, an open-file-description
// lock that peers never take (they lock with flock, a separate kind). A pty
// whose number was given to a terminal since its line ended has no such
// lock. A slave held exclusively by its peer (EBUSY) is in use too.
bool HeldByAnotherLine(const std::string& path, dev_t own) {
  struct stat st;
  // The number of a line that ended may be this line's now.
  if (::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == own) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == EBUSY;
  struct flock lock = WholeFile(F_WRLCK);
  const bool held = ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev != own &&
                    ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

// The target of the symbolic link at `link`; "" when it is none.
std::string LinkTarget(const std::string& link) {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
  if (n < 0) return "";
  return std::string(buffer, static_cast<std::size_t>(n));
}

// Points `link` at `target`, replacing a stale link; refuses to replace
// anything that is not a link (EEXIST) and a link to a line that is live
// (EBUSY, its target in `busy_target`): the run that made it would lose its
// peer's way in, and lose the link itself when this run ends.
int MakeLink(const std::string& link, const std::string& target, dev_t own,
             std::string& busy_target) {
  struct stat st;
  if (::lstat(link.c_str(), &st) == 0) {
    if (!S_ISLNK(st.st_mode)) return EEXIST;
    const std::string old = LinkTarget(link);
    if (!old.empty() && HeldByAnotherLine(old, own)) {
      busy_target = old;
      return EBUSY;
    }
  }
  // A new link under a temporary name, renamed over the old one in one step.
  const std::string temp = link + ".tapix-new";
  ::unlink(temp.c_str());
  if (::symlink(target.c_str(), temp.c_str()) != 0) return errno;
  if (::rename(temp.c_str(), link.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return error;
  }
  return 0;
}

// Removes `link` only while it still points at `target` (another run may have
// taken the name over since).
void RemoveLink(const std::string& link, const std::string& target) {
  if (LinkTarget(link) == target) ::unlink(link.c_str());
}

}  // namespace

VirtualLine::~VirtualLine() { Close(); }

std::string VirtualLine::MapPath() const {
  return slave_path_.empty() ? std::string() : std::string(kVirtualLinePrefix) + slave_path_;
}

bool VirtualLine::Create(const std::string& link) {
  Close();
  auto state = std::make_shared<State>();
  state->master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (state->master < 0 || ::grantpt(state->master) != 0 || ::unlockpt(state->master) != 0) {
    SetLastErrorCode(errno);
    return false;
  }
  char name[PATH_MAX];
  if (const int error = ::ptsname_r(state->master, name, sizeof name); error != 0) {
    SetLastErrorCode(error);
    return false;
  }
  state->slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (state->slave < 0) {
    SetLastErrorCode(errno);
    return false;
  }
  // The mark of a live line (see HeldByAnotherLine); without lock support
  // the line works as before, only a second run cannot tell it is live.
  struct flock live = WholeFile(F_WRLCK);
  (void)::fcntl(state->slave, F_OFD_SETLK, &live);
  termios t;
  if (::tcgetattr(state->slave, &t) == 0) {
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(state->slave, TCSANOW, &t);
  }
  busy_link_target_.clear();
  if (!link.empty()) {
    struct stat own;
    if (::fstat(state->slave, &own) != 0) own.st_rdev = 0;
    if (const int error = MakeLink(link, name, own.st_rdev, busy_link_target_); error != 0) {
      SetLastErrorCode(error);
      return false;
    }
    link_path_ = link;
  }
  slave_path_ = name;
  state_ = std::move(state);
  std::lock_guard<std::mutex> lock(registry_mutex);
  Registry()[MapPath()] = state_;
  return true;
}

std::uint32_t VirtualLine::Register(PortMap& map, std::uint32_t avoid) {
  if (!state_) return 0;
  if (map_ != nullptr) map_->RemoveRunEntry(port_);
  const std::uint32_t port = map.FirstFree(avoid);
  if (port == 0) return 0;
  map.SetRunEntry(port, MapPath());
  map_ = &map;
  port_ = port;
  return port;
}

void VirtualLine::Close() {
  if (map_ != nullptr) map_->RemoveRunEntry(port_);
  map_ = nullptr;
  port_ = 0;
  if (!link_path_.empty()) RemoveLink(link_path_, slave_path_);
  link_path_.clear();
  if (state_) {
    {
      std::lock_guard<std::mutex> lock(registry_mutex);
      Registry().erase(MapPath());
    }
    // A port still open on the line keeps its own master descriptor; it sees
    // the hang-up once the peer has closed its end too.
    state_->CloseFds();
  }
  state_.reset();
  slave_path_.clear();
}


std::unique_ptr<SerialDevice> OpenVirtualLine(std::string_view path) {
  std::shared_ptr<VirtualLine::State> state;
  {
    std::lock_guard<std::mutex> lock(registry_mutex);
    auto it = Registry().find(path);
    if (it != Registry().end()) state = it->second.lock();
  }
  if (!state || state->master < 0) {
    SetLastErrorCode(ENOENT);
    return nullptr;
  }
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->in_use) {
      SetLastErrorCode(EBUSY);
      return nullptr;
    }
    state->in_use = true;
  }
  auto release = [state] {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->in_use = false;
  };
  const int fd = ::fcntl(state->master, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) {
    const int error = errno;
    release();
    SetLastErrorCode(error);
    return nullptr;
  }
  // Like a port that was closed: what the peer sent meanwhile is gone.
  ::tcflush(fd, TCIFLUSH);
  std::unique_ptr<PosixDevice> device = PosixDevice::AdoptMaster(fd, release);
  // The master never hangs up while the line holds its slave descriptor, so
  // the peer's close and open are watched on the slave path instead.
  device->WatchPeer(std::string(path.substr(kVirtualLinePrefix.size())));
  return device;
}

}  // namespace tapix
