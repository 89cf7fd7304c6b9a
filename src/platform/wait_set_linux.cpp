// The wait on Linux: one poll() on every descriptor. A descriptor that
// reports an error or a hang-up counts as ready too: its reader finds out.
#include <poll.h>

#include <cerrno>

#include "platform/wait_set.h"

namespace tapix {

void WaitSet::AddWindowMessages(Tag) {}

bool WaitSet::Wait(int timeout_ms) {
  ready_.clear();
  // Kept from one wait to the next: a wait allocates nothing.
  thread_local std::vector<pollfd> fds;
  fds.clear();
  for (const Source& source : sources_) fds.push_back({static_cast<int>(source.handle), POLLIN, 0});
  const int n = ::poll(fds.data(), fds.size(), timeout_ms < 0 ? -1 : timeout_ms);
  if (n < 0) return errno == EINTR;
  for (std::size_t i = 0; i < fds.size() && n > 0; ++i) {
    if (fds[i].revents != 0) ready_.push_back(sources_[i].tag);
  }
  return true;
}

}  // namespace tapix
