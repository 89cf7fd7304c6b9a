// A pseudo-terminal pair for tests: the test plays the far end on the master
// while the code under test opens the slave path like a serial device.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <string>

namespace tapix::testing {

class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[PATH_MAX];
    if (::ptsname_r(master_, name, sizeof name) == 0) slave_path_ = name;
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool Ok() const { return master_ >= 0 && !slave_path_.empty(); }
  const std::string& SlavePath() const { return slave_path_; }
  int Master() const { return master_; }

  void Send(const std::string& bytes) const { WriteAll(master_, bytes); }

  // Reads from the master until `n` bytes came or `timeout_ms` passed.
  std::string Receive(std::size_t n, int timeout_ms = 10000) const {
    return ReadFor(master_, n, timeout_ms);
  }

  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  static void WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t r = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (r > 0) {
        done += static_cast<std::size_t>(r);
      } else if (r < 0 && errno == EAGAIN) {
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 1000);
      } else if (!(r < 0 && errno == EINTR)) {
        return;
      }
    }
  }

  // Reads until `n` bytes came or `timeout_ms` passed in all.
  static std::string ReadFor(int fd, std::size_t n, int timeout_ms) {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(timeout_ms);
    std::string got;
    while (got.size() < n) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      if (left <= 0) break;
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left)) <= 0) break;
      char buffer[256];
      const std::size_t want = n - got.size() < sizeof buffer ? n - got.size() : sizeof buffer;
      const ssize_t r = ::read(fd, buffer, want);
      if (r <= 0) {
        if (r < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        break;
      }
      got.append(buffer, static_cast<std::size_t>(r));
    }
    return got;
  }

 private:
  int master_ = -1;
  std::string slave_path_;
};

}  // namespace tapix::testing
