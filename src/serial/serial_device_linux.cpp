#include "serial/serial_device_linux.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <optional>

#include "platform/retry_eintr.h"
#include "serial/custom_baud_linux.h"
#include "serial/dcb_termios_linux.h"
#include "serial/port.h"

namespace tapix {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

// Settings the line itself is made of; a real device that silently keeps
// others than those asked for has refused them.
constexpr tcflag_t kLineBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
// What a pseudo-terminal cannot carry (the kernel refuses or ignores them).
constexpr tcflag_t kPtyFixedBits = CSIZE | PARENB | PARODD | CMSPAR;

bool IsHangupErrno(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

// The DCB on termios from `base`; false for a DCB termios cannot express,
// with its field and the error set.
bool MapOrRefuse(const DCB& dcb, const termios& base, LineConfig& config) {
  LineField field;
  if (const int error = MapDcb(dcb, base, config, &field); error != 0) {
    SetRefusedField(field);
    SetLastErrorCode(error);
    return false;
  }
  return true;
}

int IoctlRetry(int fd, unsigned long request, void* arg) {
  return RetryEintr([&] { return ::ioctl(fd, request, arg); });
}

int TcSetAttr(int fd, const termios& t) {
  return RetryEintr([&] { return ::tcsetattr(fd, TCSANOW, &t); }) < 0 ? errno : 0;
}

// Milliseconds until `deadline`, rounded up so that a poll never wakes early.
int MillisUntil(Clock::time_point now, Clock::time_point deadline) {
  if (deadline <= now) return 0;
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
  const long long ms = (us + 999) / 1000;
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

// The one wait of the device, for reads and writes alike: poll() on `fd` for
// `events` until `deadline` (none: no limit; one that has passed: a look
// without waiting). Returns the events poll reported, 0 once the deadline
// has passed, -1 when the wait itself failed (the last error set; EBADF for
// a descriptor that is not open).
int WaitReady(int fd, short events, std::optional<Clock::time_point> deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int pr = ::poll(&p, 1, deadline ? MillisUntil(Clock::now(), *deadline) : -1);
    if (pr < 0) {
      if (errno == EINTR) continue;
      SetLastErrorCode(errno);
      return -1;
    }
    if (pr == 0) return 0;
    if (p.revents & POLLNVAL) {
      SetLastErrorCode(EBADF);
      return -1;
    }
    return p.revents;
  }
}

// Raw mode on the settings found, leaving the line settings alone: reads see
// bytes unchanged, VMIN 1 makes a read without data fail with EAGAIN (the
// descriptor is non-blocking) so that a 0 means a hang-up.
termios RawBase(termios t) {
  t.c_iflag &= ~static_cast<tcflag_t>(BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                      IXOFF | IXANY);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  return t;
}

bool UsesCustomBaud(const termios& t) { return IsCustomBaudFlag(t.c_cflag); }

// Lets queued output leave with the settings it was written under before the
// original ones come back; a line stalled by flow control is given up on.
void WaitForOutput(int fd) {
  for (int i = 0; i < 100; ++i) {
    int queued = 0;
    if (::ioctl(fd, TIOCOUTQ, &queued) < 0 || queued <= 0) return;
    timespec pause{0, 10 * 1000 * 1000};
    ::nanosleep(&pause, nullptr);
  }
}

}  // namespace

bool IsPseudoTerminal(int fd) {
  unsigned int index = 0;
  if (::ioctl(fd, TIOCGPTN, &index) == 0) return true;  // master end
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  const unsigned int major_number = major(st.st_rdev);
  // Unix98 slaves (136..143), old BSD-style masters (2) and slaves (3).
  return (major_number >= 136 && major_number <= 143) || major_number == 2 || major_number == 3;
}

PosixDevice::PosixDevice(int fd, bool exclusive, bool own_settings, std::function<void()> on_close)
    : fd_(fd), exclusive_(exclusive), own_settings_(own_settings), on_close_(std::move(on_close)) {
  pty_ = tapix::IsPseudoTerminal(fd_);
  if (own_settings_ && ::tcgetattr(fd_, &original_) == 0) {
    have_original_ = true;
    if (UsesCustomBaud(original_)) original_custom_baud_ = ReadOutputBaud(fd_);
    TcSetAttr(fd_, RawBase(original_));
  }
}

std::unique_ptr<PosixDevice> PosixDevice::Open(const std::string& path) {
  const int fd =
      RetryEintr([&] { return ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK); });
  if (fd < 0) {
    SetLastErrorCode(errno);
    return nullptr;
  }
  auto fail = [fd](int error) {
    ::close(fd);
    SetLastErrorCode(error);
    return std::unique_ptr<PosixDevice>();
  };
  if (!::isatty(fd)) return fail(ENOTTY);
  // The lock is what keeps a second holder out, root included (TIOCEXCL does
  // not stop root); its conflict reads as "busy".
  if (::flock(fd, LOCK_EX | LOCK_NB) < 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
  const bool exclusive = ::ioctl(fd, TIOCEXCL) == 0;
  return std::unique_ptr<PosixDevice>(new PosixDevice(fd, exclusive, true, {}));
}

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name) {
  return PosixDevice::Open(name);
}

std::unique_ptr<PosixDevice> PosixDevice::AdoptMaster(int fd, std::function<void()> on_close) {
  return std::unique_ptr<PosixDevice>(new PosixDevice(fd, false, false, std::move(on_close)));
}

PosixDevice::~PosixDevice() {
  if (!hung_up_ && have_original_) {
    if (!pty_) WaitForOutput(fd_);
    if (original_custom_baud_ != 0)
      ApplyWithCustomBaud(fd_, original_, original_custom_baud_);
    else
      TcSetAttr(fd_, original_);
  }
  if (exclusive_) ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);  // releases the lock
  if (on_close_) on_close_();
}

void PosixDevice::NoteHangupErrno(int error) {
  if (IsHangupErrno(error)) hung_up_ = true;
  SetLastErrorCode(error);
}

std::size_t PosixDevice::ReadWaiting(void* buffer, std::size_t n) {
  if (n == 0 || hung_up_) return 0;
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(fd_, out + got, n - got);
    if (r > 0) {
      // A read that returns less than asked found no more: one call, as a
      // message usually comes whole.
      if (static_cast<std::size_t>(r) < n - got) return got + static_cast<std::size_t>(r);
      got += static_cast<std::size_t>(r);
      continue;
    }
    if (r == 0) {  // with VMIN 1 on a non-blocking descriptor: the line hung up
      hung_up_ = true;
      break;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN) {
      NoteHangupErrno(errno);
      break;
    }
    // Nothing (more) waiting. A wake with nothing to read may be a hang-up
    // that poll reports without an error from read: looked at once, so that
    // a caller woken by it does not wake again and again.
    if (got == 0) InputWaiting();
    break;
  }
  return got;
}

std::size_t PosixDevice::Read(void* buffer, std::size_t n) {
  if (n == 0) return 0;
  if (hung_up_) {
    SetLastErrorCode(EIO);
    return 0;
  }
  auto* out = static_cast<unsigned char*>(buffer);
  const CommTimeouts t = timeouts_;

  // The Win32 special forms: interval MAXDWORD with zero totals returns what is
  // there at once; with multiplier MAXDWORD too it waits up to the constant for
  // the first byte and then returns what is there.
  const bool at_once = t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 &&
                       t.ReadTotalTimeoutConstant == 0;
  if (at_once) return ReadWaiting(buffer, n);
  const bool first_byte = t.ReadIntervalTimeout == kMaxDword &&
                          t.ReadTotalTimeoutMultiplier == kMaxDword &&
                          t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < kMaxDword;

  // Computed in 64 bits: n * multiplier must not wrap into a short time-out.
  std::uint64_t total_ms = first_byte ? t.ReadTotalTimeoutConstant
                                      : static_cast<std::uint64_t>(n) * t.ReadTotalTimeoutMultiplier +
                                            t.ReadTotalTimeoutConstant;
  const std::uint32_t interval_ms =
      t.ReadIntervalTimeout == kMaxDword ? 0 : t.ReadIntervalTimeout;

  const Clock::time_point start = Clock::now();
  std::optional<Clock::time_point> total_deadline;
  if (total_ms > 0) total_deadline = start + std::chrono::milliseconds(total_ms);
  Clock::time_point last_byte{};
  std::size_t got = 0;
  bool saw_hangup = false;

  for (;;) {
    const ssize_t r = ::read(fd_, out + got, n - got);
    if (r > 0) {
      got += static_cast<std::size_t>(r);
      last_byte = Clock::now();
      if (got == n || first_byte) return got;
      continue;
    }
    if (r == 0) {  // with VMIN 1 on a non-blocking descriptor: the line hung up
      hung_up_ = true;
      return got;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN) {
      NoteHangupErrno(errno);
      return got;
    }
    if (saw_hangup) {  // poll reported a hang-up and there is no data behind it
      hung_up_ = true;
      return got;
    }

    // Wait for more, until the earlier of the total time-out and the gap
    // allowed after the last byte (the gap counts only once a byte has come).
    std::optional<Clock::time_point> deadline = total_deadline;
    if (got > 0 && interval_ms > 0) {
      const Clock::time_point gap_end = last_byte + std::chrono::milliseconds(interval_ms);
      if (!deadline || gap_end < *deadline) deadline = gap_end;
    }
    if (deadline && Clock::now() >= *deadline) return got;
    const int ready = WaitReady(fd_, POLLIN, deadline);
    if (ready <= 0) return got;  // the time-out, or a wait that failed
    if (ready & (POLLHUP | POLLERR)) saw_hangup = true;
  }
}

std::size_t PosixDevice::Write(const void* data, std::size_t n) {
  if (n == 0) return 0;
  if (hung_up_) {
    SetLastErrorCode(EIO);
    return 0;
  }
  const auto* in = static_cast<const unsigned char*>(data);
  const std::uint64_t total_ms = static_cast<std::uint64_t>(n) * timeouts_.WriteTotalTimeoutMultiplier +
                                 timeouts_.WriteTotalTimeoutConstant;
  std::optional<Clock::time_point> deadline;
  if (total_ms > 0) deadline = Clock::now() + std::chrono::milliseconds(total_ms);
  std::size_t sent = 0;

  for (;;) {
    const ssize_t r = ::write(fd_, in + sent, n - sent);
    if (r > 0) {
      sent += static_cast<std::size_t>(r);
      if (sent == n) return sent;
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && errno != EAGAIN) {
      NoteHangupErrno(errno);
      return sent;
    }
    const int ready = WaitReady(fd_, POLLOUT, deadline);
    if (ready < 0) return sent;
    if (ready == 0) {
      SetLastErrorCode(ETIMEDOUT);
      return sent;
    }
    if (!(ready & POLLOUT) && (ready & (POLLHUP | POLLERR))) {
      hung_up_ = true;
      SetLastErrorCode(EIO);
      return sent;
    }
  }
}

bool PosixDevice::InputWaiting() const {
  if (hung_up_) return false;
  const int ready = WaitReady(fd_, POLLIN, Clock::now());
  if (ready <= 0) return false;
  if (ready & POLLIN) return true;
  if (ready & (POLLHUP | POLLERR)) hung_up_ = true;
  return false;
}

int PosixDevice::Apply(const termios& t, std::uint32_t custom_baud) {
  if (custom_baud != 0) return ApplyWithCustomBaud(fd_, t, custom_baud);
  return TcSetAttr(fd_, t);
}

int PosixDevice::SetModemLine(int line, bool on) {
  int bits = line;
  if (IoctlRetry(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return 0;
  // No such line on this device (pseudo-terminal, some adapters): nothing to set.
  if (errno == ENOTTY || errno == EINVAL) return 0;
  return errno;
}

bool PosixDevice::SetState(const DCB& dcb) {
  if (!own_settings_) {
    // A virtual line carries bytes whatever the settings; its slave's termios
    // are the peer's business.
    LineConfig unused;
    if (!MapOrRefuse(dcb, termios{}, unused)) return false;
    state_ = dcb;
    have_state_ = true;
    return true;
  }
  termios current;
  if (::tcgetattr(fd_, &current) < 0) {
    NoteHangupErrno(errno);
    return false;
  }
  LineConfig config;
  if (!MapOrRefuse(dcb, current, config)) return false;
  termios wanted = config.tio;
  if (pty_) {
    // Keep the size and parity the pseudo-terminal has, so that the kernel
    // takes the rest instead of refusing the whole change.
    wanted.c_cflag = (wanted.c_cflag & ~kPtyFixedBits) | (current.c_cflag & kPtyFixedBits);
  }
  const std::uint32_t old_custom_baud = UsesCustomBaud(current) ? ReadOutputBaud(fd_) : 0;
  const int error = Apply(wanted, config.custom_baud);
  if (error != 0 && !(pty_ && error == EINVAL)) {
    if (error == EINVAL) {
      // The driver refuses the whole change: one field at a time tells which.
      SetRefusedField(FirstRefusedField(current, wanted, [this](const termios& step) {
        return TcSetAttr(fd_, step) == 0;
      }));
      Apply(current, old_custom_baud);
    }
    NoteHangupErrno(error);
    return false;
  }

  if (!pty_) {
    // A driver may keep settings it cannot do without saying so; a line that
    // is not what the DCB asked for is a refusal, and the old settings return.
    termios now;
    const bool read_back = ::tcgetattr(fd_, &now) == 0;
    bool refused = !read_back || (now.c_cflag & kLineBits) != (wanted.c_cflag & kLineBits);
    if (refused && read_back) SetRefusedField(DifferingField(now, wanted));
    if (!refused && config.custom_baud != 0) {
      const std::uint64_t rate = ReadOutputBaud(fd_);
      refused = rate * 100 < std::uint64_t{config.custom_baud} * 98 ||
                rate * 100 > std::uint64_t{config.custom_baud} * 102;
      if (refused) SetRefusedField(LineField::Rate);
    } else if (!refused) {
      refused = ::cfgetospeed(&now) != ::cfgetospeed(&wanted);
      if (refused) SetRefusedField(LineField::Rate);
    }
    if (refused) {
      Apply(current, old_custom_baud);
      SetLastErrorCode(EINVAL);
      return false;
    }
  }

  if (!(wanted.c_cflag & CRTSCTS)) {
    if (const int e = SetModemLine(TIOCM_RTS, config.rts); e != 0) {
      NoteHangupErrno(e);
      return false;
    }
  }
  if (const int e = SetModemLine(TIOCM_DTR, config.dtr); e != 0) {
    NoteHangupErrno(e);
    return false;
  }
  state_ = dcb;
  have_state_ = true;
  return true;
}

bool PosixDevice::GetState(DCB& dcb) const {
  if (!have_state_) return false;
  dcb = state_;
  return true;
}

}  // namespace tapix
