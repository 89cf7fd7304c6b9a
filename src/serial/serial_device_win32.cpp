// The serial device on Windows (serial_device.h's Windows twin): the comm API.
//
// The port is opened for overlapped I/O, but every Read and Write stays
// synchronous for its caller: the call is issued and its completion waited
// for, so the COMMTIMEOUTS rule as they always do. What overlapped I/O adds is
// the wait for the first byte of a message: InputWaitHandle starts a one-byte
// read without time-out whose event the loop waits on together with its other
// events, so an idle line costs nothing and an operator command is never
// stuck behind a pending 100 ms read. The next Read delivers the byte that
// read caught, or cancels it when none came. (WaitCommEvent is not used: under
// Wine it gives up every few milliseconds on a pty.)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "serial/port.h"
#include "serial/serial_device.h"

// Last: its macros (DCB, NOPARITY, ...) must not meet the declarations above.
#include <windows.h>

namespace tapix {

// The line settings record is handed to the system as it is.
static_assert(sizeof(tapix::DCB) == sizeof(::DCB));
static_assert(offsetof(tapix::DCB, DCBlength) == offsetof(::DCB, DCBlength));
static_assert(offsetof(tapix::DCB, BaudRate) == offsetof(::DCB, BaudRate));
static_assert(offsetof(tapix::DCB, wReserved) == offsetof(::DCB, wReserved));
static_assert(offsetof(tapix::DCB, XonLim) == offsetof(::DCB, XonLim));
static_assert(offsetof(tapix::DCB, XoffLim) == offsetof(::DCB, XoffLim));
static_assert(offsetof(tapix::DCB, ByteSize) == offsetof(::DCB, ByteSize));
static_assert(offsetof(tapix::DCB, Parity) == offsetof(::DCB, Parity));
static_assert(offsetof(tapix::DCB, StopBits) == offsetof(::DCB, StopBits));
static_assert(offsetof(tapix::DCB, XonChar) == offsetof(::DCB, XonChar));
static_assert(offsetof(tapix::DCB, XoffChar) == offsetof(::DCB, XoffChar));
static_assert(offsetof(tapix::DCB, ErrorChar) == offsetof(::DCB, ErrorChar));
static_assert(offsetof(tapix::DCB, EofChar) == offsetof(::DCB, EofChar));
static_assert(offsetof(tapix::DCB, EvtChar) == offsetof(::DCB, EvtChar));
static_assert(offsetof(tapix::DCB, wReserved1) == offsetof(::DCB, wReserved1));
static_assert(sizeof(CommTimeouts) == sizeof(COMMTIMEOUTS));

namespace {

::DCB ToSystem(const tapix::DCB& ours) {
  ::DCB dcb;
  std::memcpy(&dcb, &ours, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  return dcb;
}

tapix::DCB FromSystem(const ::DCB& system) {
  tapix::DCB dcb;
  std::memcpy(&dcb, &system, sizeof dcb);
  return dcb;
}

COMMTIMEOUTS ToSystem(const CommTimeouts& t) {
  return COMMTIMEOUTS{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier,
                      t.ReadTotalTimeoutConstant, t.WriteTotalTimeoutMultiplier,
                      t.WriteTotalTimeoutConstant};
}

// Which setting the driver refuses when it refuses a whole DCB: the rate,
// the data bits, the parity and the stop bits, each tried alone on the
// settings in force. None when each passes alone.
LineField FindRefusedField(HANDLE handle, const ::DCB& wanted) {
  ::DCB now{};
  now.DCBlength = sizeof now;
  if (!::GetCommState(handle, &now)) return LineField::None;
  const auto refuses = [&](void (*change)(::DCB&, const ::DCB&)) {
    ::DCB trial = now;
    change(trial, wanted);
    return !::SetCommState(handle, &trial);
  };
  LineField found = LineField::None;
  if (refuses([](::DCB& d, const ::DCB& w) { d.BaudRate = w.BaudRate; }))
    found = LineField::Rate;
  else if (refuses([](::DCB& d, const ::DCB& w) { d.ByteSize = w.ByteSize; }))
    found = LineField::DataBits;
  else if (refuses([](::DCB& d, const ::DCB& w) { d.Parity = w.Parity; }))
    found = LineField::Parity;
  else if (refuses([](::DCB& d, const ::DCB& w) { d.StopBits = w.StopBits; }))
    found = LineField::StopBits;
  ::SetCommState(handle, &now);
  return found;
}

class CommDevice final : public SerialDevice {
 public:
  explicit CommDevice(HANDLE handle) : handle_(handle) {
    wait_.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    io_.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    COMMTIMEOUTS found{};
    if (::GetCommTimeouts(handle_, &found)) {
      timeouts_ = CommTimeouts{found.ReadIntervalTimeout, found.ReadTotalTimeoutMultiplier,
                               found.ReadTotalTimeoutConstant, found.WriteTotalTimeoutMultiplier,
                               found.WriteTotalTimeoutConstant};
    }
  }

  ~CommDevice() override {
    EndFirstByteWait();
    ::CloseHandle(handle_);
    if (wait_.hEvent) ::CloseHandle(wait_.hEvent);
    if (io_.hEvent) ::CloseHandle(io_.hEvent);
  }

  CommDevice(const CommDevice&) = delete;
  CommDevice& operator=(const CommDevice&) = delete;

  bool Usable() const { return wait_.hEvent != nullptr && io_.hEvent != nullptr; }

  std::size_t Read(void* buffer, std::size_t n) override {
    if (n == 0) return 0;
    // "Return at once with what is waiting" (the tap's): under Wine an
    // overlapped read with these time-outs still waits for a byte when none
    // is there, so it is read as ReadWaiting reads.
    if (ReturnsAtOnce()) return ReadWaiting(buffer, n);
    auto* out = static_cast<unsigned char*>(buffer);
    const std::size_t count = TakeCaughtByte(out);
    if (count == n) return count;
    UseTimeouts(true);
    return count + Transfer(false, out + count, n - count);
  }

  // The byte the first-byte read caught, and then only what the driver says
  // is waiting (ClearCommError): a read of bytes that are there ends at once
  // under any time-outs, so the time-outs in force stay as they are.
  std::size_t ReadWaiting(void* buffer, std::size_t n) override {
    if (n == 0) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    const std::size_t count = TakeCaughtByte(out);
    if (count == n || hung_up_) return count;
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handle_, &errors, &status) || status.cbInQue == 0) return count;
    const std::size_t want = status.cbInQue < n - count ? status.cbInQue : n - count;
    return count + Transfer(false, out + count, want);
  }

  std::size_t Write(const void* data, std::size_t n) override {
    if (n == 0) return 0;
    // The write time-outs are the same in both read modes: no switch needed,
    // and a pending first-byte read may stay (the port is full duplex).
    return Transfer(true, data, n);
  }

  void ClearErrors() override {
    DWORD errors = 0;
    ::ClearCommError(handle_, &errors, nullptr);
  }

  bool SetState(const tapix::DCB& dcb) override {
    ::DCB wanted = ToSystem(dcb);
    if (::SetCommState(handle_, &wanted)) return true;
    const DWORD code = ::GetLastError();
    SetRefusedField(FindRefusedField(handle_, wanted));
    ::SetLastError(code);
    return false;
  }

  bool GetState(tapix::DCB& dcb) const override {
    ::DCB now{};
    now.DCBlength = sizeof now;
    if (!::GetCommState(handle_, &now)) return false;
    dcb = FromSystem(now);
    return true;
  }

  CommTimeouts GetTimeouts() const override { return timeouts_; }

  void SetTimeouts(const CommTimeouts& timeouts) override {
    timeouts_ = timeouts;
    timeouts_in_force_ = false;
    if (!wait_pending_) UseTimeouts(true);
  }

  WaitHandle InputWaitHandle() override {
    if (hung_up_) {
      // Wake the loop at once: its pass finds the hang-up and closes the port.
      ::SetEvent(wait_.hEvent);
    } else if (!have_byte_ && !wait_pending_) {
      StartFirstByteWait();
    }
    return reinterpret_cast<WaitHandle>(wait_.hEvent);
  }

  bool InputWaiting() const override {
    if (have_byte_) return true;
    if (wait_pending_ && HasOverlappedIoCompleted(&wait_)) return true;
    DWORD errors = 0;
    COMSTAT status{};
    return ::ClearCommError(handle_, &errors, &status) && status.cbInQue > 0;
  }

  bool HungUp() const override { return hung_up_; }

 private:
  // One overlapped read or write, waited for: the time-outs in force decide
  // when it ends. The count done; the last error is set when it failed.
  std::size_t Transfer(bool write, const void* data, std::size_t n) {
    ::ResetEvent(io_.hEvent);
    const DWORD size = n > MAXDWORD ? MAXDWORD : static_cast<DWORD>(n);
    const BOOL started = write ? ::WriteFile(handle_, data, size, nullptr, &io_)
                               : ::ReadFile(handle_, const_cast<void*>(data), size, nullptr, &io_);
    if (!started && ::GetLastError() != ERROR_IO_PENDING) {
      NoteFailure();
      return 0;
    }
    DWORD done = 0;
    if (!::GetOverlappedResult(handle_, &io_, &done, TRUE)) {
      NoteFailure();
      return done;
    }
    return done;
  }

  // A read or write that failed outright: the device is gone (an adapter
  // pulled) unless the failure was a time-out or a cancel.
  void NoteFailure() {
    const DWORD code = ::GetLastError();
    if (code == ERROR_OPERATION_ABORTED || code == ERROR_TIMEOUT || code == ERROR_IO_PENDING) return;
    if (code == ERROR_ACCESS_DENIED || code == ERROR_BAD_COMMAND || code == ERROR_DEVICE_REMOVED ||
        code == ERROR_GEN_FAILURE || code == ERROR_INVALID_HANDLE || code == ERROR_BROKEN_PIPE) {
      hung_up_ = true;
    }
  }

  bool ReturnsAtOnce() const {
    return timeouts_.ReadIntervalTimeout == MAXDWORD && timeouts_.ReadTotalTimeoutMultiplier == 0 &&
           timeouts_.ReadTotalTimeoutConstant == 0;
  }

  // `with_timeouts`: the time-outs set by SetTimeouts; otherwise reads wait
  // without time-out until their bytes came (the first-byte wait).
  void UseTimeouts(bool with_timeouts) {
    if (timeouts_in_force_ == with_timeouts) return;
    CommTimeouts t = timeouts_;
    if (!with_timeouts) t.ReadIntervalTimeout = t.ReadTotalTimeoutMultiplier = t.ReadTotalTimeoutConstant = 0;
    COMMTIMEOUTS system = ToSystem(t);
    ::SetCommTimeouts(handle_, &system);
    timeouts_in_force_ = with_timeouts;
  }

  void StartFirstByteWait() {
    UseTimeouts(false);
    ::ResetEvent(wait_.hEvent);
    if (::ReadFile(handle_, &caught_, 1, nullptr, &wait_) || ::GetLastError() == ERROR_IO_PENDING) {
      wait_pending_ = true;  // done at once or later: the event tells
      return;
    }
    // A read that cannot even start: the port is of no more use. The loop
    // wakes, finds the hang-up and closes it, instead of waiting on nothing.
    hung_up_ = true;
    ::SetEvent(wait_.hEvent);
  }

  // Ends the first-byte read and puts the byte it caught, if any, at `out`:
  // the count put there (0 or 1).
  std::size_t TakeCaughtByte(unsigned char* out) {
    EndFirstByteWait();
    if (!have_byte_) return 0;
    *out = caught_;
    have_byte_ = false;
    return 1;
  }

  // Takes the result of the first-byte read: the byte it caught is kept for
  // the next Read; a read still pending is cancelled first. The event stays as
  // it is, so a waiter that was not told yet still wakes.
  void EndFirstByteWait() {
    if (!wait_pending_) return;
    wait_pending_ = false;
    const bool cancelled = !HasOverlappedIoCompleted(&wait_) && ::CancelIoEx(handle_, &wait_);
    DWORD got = 0;
    if (::GetOverlappedResult(handle_, &wait_, &got, TRUE)) {
      // Without a time-out a read ends only with its byte: nothing (unless
      // cancelled) means the line is gone (under Wine, a pty whose other end
      // closed).
      if (got == 1)
        have_byte_ = true;
      else if (!cancelled)
        hung_up_ = true;
    } else {
      NoteFailure();
    }
  }

  HANDLE handle_;
  OVERLAPPED wait_{};
  OVERLAPPED io_{};
  bool wait_pending_ = false;
  bool have_byte_ = false;
  unsigned char caught_ = 0;
  bool hung_up_ = false;
  CommTimeouts timeouts_{};
  bool timeouts_in_force_ = true;  // as found at open
};

}  // namespace

std::unique_ptr<SerialDevice> OpenSerialDevice(const std::string& name) {
  HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  auto device = std::make_unique<CommDevice>(handle);
  if (!device->Usable()) {
    const DWORD code = ::GetLastError();
    device.reset();
    ::SetLastError(code);  // the close must not hide why the open failed
    return nullptr;
  }
  return device;
}

}  // namespace tapix
