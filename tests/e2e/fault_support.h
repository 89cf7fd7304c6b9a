// Helpers for the fault tests and the benchmarks, on top of the end-to-end
// harness: a peer that writes and reads the line at the same time while the
// program's log is drained (so that no side blocks on a full buffer), and
// what /proc tells about the program.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tapix_process.h"

namespace tapix::fault {

using e2e::Clock;
using e2e::PtyPair;
using e2e::TapixProcess;
using e2e::StoreText;
using e2e::TempDir;
using std::chrono::milliseconds;

// Resident memory of a process in KiB, or -1 when it cannot be read.
inline long VmRssKb(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/status";
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, "VmRSS:", 6) == 0) {
      kb = std::strtol(line + 6, nullptr, 10);
      break;
    }
  }
  std::fclose(f);
  return kb;
}

// Open file descriptors of a process, or -1.
inline int OpenFdCount(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/fd";
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return -1;
  int count = 0;
  while (const dirent* e = ::readdir(dir))
    if (e->d_name[0] != '.') ++count;
  ::closedir(dir);
  return count;
}

// True when the process has the shared object `name` mapped.
inline bool HasMapped(pid_t pid, const std::string& name) {
  const std::string path = "/proc/" + std::to_string(pid) + "/maps";
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return false;
  char line[512];
  bool found = false;
  while (!found && std::fgets(line, sizeof line, f)) found = std::strstr(line, name.c_str());
  std::fclose(f);
  return found;
}

inline std::size_t CountOf(const std::string& log, const std::string& text, std::size_t from = 0) {
  std::size_t n = 0;
  for (std::size_t p = log.find(text, from); p != std::string::npos; p = log.find(text, p + 1)) ++n;
  return n;
}

// CPU seconds the program uses while the caller waits `span`.
inline double CpuOver(TapixProcess& tapix, milliseconds span) {
  const double before = tapix.CpuSeconds();
  std::this_thread::sleep_for(span);
  return tapix.CpuSeconds() - before;
}

// Makes the reader of the program's log go away, as when the program's
// output is piped into a tool that ends: the test's end of the pipe is
// replaced by /dev/null, so the program's writes to it fail with EPIPE.
// False when that end cannot be found.
inline bool DropLogReader(const TapixProcess& tapix) {
  struct stat theirs;
  if (::stat(("/proc/" + std::to_string(tapix.pid()) + "/fd/1").c_str(), &theirs) != 0) return false;
  for (int fd = 3; fd < 1024; ++fd) {
    struct stat ours;
    if (::fstat(fd, &ours) != 0 || ours.st_ino != theirs.st_ino || ours.st_dev != theirs.st_dev) continue;
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::dup2(null, fd);
    ::close(null);
    return true;
  }
  return false;
}

// Sends a console line that the program rejects and waits for its reject
// line: everything the program did with the lines before it is in the log
// then. Returns the log position after the reject line, or npos.
inline std::size_t Sync(TapixProcess& tapix, const std::string& marker = "sync-marker",
                        milliseconds wait = milliseconds(10000)) {
  const std::size_t from = tapix.Log().size();
  tapix.Command(marker);
  const std::size_t at = tapix.WaitFor("\"" + marker + "\" - ", from, wait);
  if (at == std::string::npos) return at;
  return tapix.WaitFor("\n", at, wait);
}

// Writes `bytes` to the line as fast as the program takes them, reading back
// whatever it writes to the line and draining its log meanwhile. After the
// last byte it goes on until neither the line nor the log has shown anything
// for `settle` (longer than the program's read time-outs). Returns what the
// peer read.
inline std::string Exchange(PtyPair& pty, TapixProcess& tapix, const std::string& bytes,
                            milliseconds settle = milliseconds(600),
                            milliseconds limit = milliseconds(120000)) {
  const int fd = pty.fd();
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  std::string got;
  std::size_t sent = 0;
  std::size_t log_size = tapix.Log().size();
  auto quiet_since = Clock::now();
  const auto give_up = Clock::now() + limit;
  while (Clock::now() < give_up) {
    pollfd p{fd, static_cast<short>(POLLIN | (sent < bytes.size() ? POLLOUT : 0)), 0};
    ::poll(&p, 1, 5);
    if ((p.revents & (POLLHUP | POLLERR)) && !(p.revents & POLLIN)) break;  // the program let go of the line
    bool activity = false;
    if (p.revents & POLLIN) {
      char buffer[4096];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) {
        got.append(buffer, static_cast<std::size_t>(n));
        activity = true;
      }
    }
    if (sent < bytes.size() && (p.revents & POLLOUT)) {
      const ssize_t n = ::write(fd, bytes.data() + sent, std::min<std::size_t>(bytes.size() - sent, 1024));
      if (n > 0) sent += static_cast<std::size_t>(n);
      activity = true;
    }
    if (tapix.Log().size() != log_size) {
      log_size = tapix.Log().size();
      activity = true;
    }
    if (activity || sent < bytes.size()) {
      quiet_since = Clock::now();
    } else if (Clock::now() - quiet_since > settle) {
      break;
    }
  }
  ::fcntl(fd, F_SETFL, flags);
  return got;
}

}  // namespace tapix::fault
