// The serial device on Linux (serial_device.h's Linux twin): raw termios,
// non-blocking I/O driven by poll(), and the read and write time-outs of the
// Win32 comm API on a monotonic clock. This header adds what only Linux has:
// the master end of a pseudo-terminal taken over as a device (the virtual
// line), and telling a pseudo-terminal from a real port.
#pragma once

#include <termios.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/serial_device.h"

namespace tapix {

class PosixDevice final : public SerialDevice {
 public:
  // Opens `path` for reading and writing, exclusively: an advisory lock
  // (flock) that holds against every program that locks too, root included,
  // plus TIOCEXCL. Null on failure with the last error set: the errno of the
  // open, EBUSY when another holder has the lock, ENOTTY for a non-terminal.
  static std::unique_ptr<PosixDevice> Open(const std::string& path);

  // Takes over the master end of a pseudo-terminal (a virtual line), without
  // a lock; `on_close` runs once the descriptor is closed. Termios calls on a
  // master act on the slave, whose settings belong to the peer: SetState only
  // checks and keeps the DCB, and nothing is restored on close.
  static std::unique_ptr<PosixDevice> AdoptMaster(int fd, std::function<void()> on_close);

  // Restores the settings found at open and releases the lock.
  ~PosixDevice() override;
  PosixDevice(const PosixDevice&) = delete;
  PosixDevice& operator=(const PosixDevice&) = delete;

  std::size_t Read(void* buffer, std::size_t n) override;
  std::size_t ReadWaiting(void* buffer, std::size_t n) override;
  std::size_t Write(const void* data, std::size_t n) override;
  void ClearErrors() override {}
  bool SetState(const DCB& dcb) override;
  bool GetState(DCB& dcb) const override;
  CommTimeouts GetTimeouts() const override { return timeouts_; }
  void SetTimeouts(const CommTimeouts& timeouts) override { timeouts_ = timeouts; }
  WaitHandle InputWaitHandle() override { return fd_; }
  bool InputWaiting() const override;
  bool HungUp() const override { return hung_up_; }

  // A pseudo-terminal takes no character size, parity or modem lines; those
  // settings are skipped there instead of failing.
  bool IsPseudoTerminal() const { return pty_; }

 private:
  PosixDevice(int fd, bool exclusive, bool own_settings, std::function<void()> on_close);
  int Apply(const termios& t, std::uint32_t custom_baud);
  int SetModemLine(int line, bool on);
  void NoteHangupErrno(int error);

  int fd_;
  bool exclusive_;
  bool own_settings_;  // the line settings are this device's to change
  bool pty_ = false;
  bool have_original_ = false;
  termios original_{};
  std::uint32_t original_custom_baud_ = 0;
  mutable bool hung_up_ = false;
  CommTimeouts timeouts_{};
  bool have_state_ = false;
  DCB state_{};
  std::function<void()> on_close_;
};

// True when `fd` is either end of a pseudo-terminal.
bool IsPseudoTerminal(int fd);

}  // namespace tapix
