// One open serial device, with the read and write time-outs of the Win32
// comm API. The platform's device is serial_device_linux.cpp (raw termios and
// poll(); serial_device_linux.h adds what only Linux has: the master end of a
// pseudo-terminal) or serial_device_win32.cpp (the comm API on an overlapped
// handle).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/wait_handle.h"
#include "serial/dcb.h"

namespace tapix {

struct CommTimeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
};

class SerialDevice {
 public:
  virtual ~SerialDevice() = default;

  // Reads up to n bytes. Returns when n have come, when the gap between two
  // bytes exceeds ReadIntervalTimeout, or when n * multiplier + constant ms
  // have passed; the count that came is the result (0 on time-out or error).
  virtual std::size_t Read(void* buffer, std::size_t n) = 0;

  // Reads up to n bytes of what is waiting now, whatever the time-outs: never
  // waits; 0 when nothing is waiting (or the line hung up). The port's
  // receiver reads this way and cuts a message that stops short itself.
  virtual std::size_t ReadWaiting(void* buffer, std::size_t n) = 0;

  // Writes n bytes; gives up after n * multiplier + constant ms and returns the
  // count written so far.
  virtual std::size_t Write(const void* data, std::size_t n) = 0;

  // Clears line errors (ClearCommError); the result is not looked at.
  virtual void ClearErrors() = 0;

  // Applies line settings to the open device; false (with the last error set)
  // when the device refuses them.
  virtual bool SetState(const DCB& dcb) = 0;

  // The line settings in force (GetCommState): the last DCB that SetState
  // applied. False when none was applied (or the device cannot tell).
  virtual bool GetState(DCB& /*dcb*/) const { return false; }

  virtual CommTimeouts GetTimeouts() const = 0;
  virtual void SetTimeouts(const CommTimeouts& timeouts) = 0;

  // Readies the device for a wait on input and returns what to wait on:
  // Linux, the descriptor (readable when input waits); Windows, the event of
  // a one-byte read that waits for the first byte (set once a byte came; the
  // next Read delivers it). kNoWaitHandle when there is nothing to wait on
  // (test doubles).
  virtual WaitHandle InputWaitHandle() { return kNoWaitHandle; }

  // True when input is waiting now (no waiting).
  virtual bool InputWaiting() const { return false; }

  // True once the device has hung up (adapter pulled, peer gone).
  virtual bool HungUp() const { return false; }
};

// Opens the device `name` (Linux: a device path; Windows: "COMn" or
// "\\?\COMn") for reading and writing, exclusively, with the settings and
// time-outs it has (platform file). Null on failure, with the last error set.
std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name);

}  // namespace tapix
