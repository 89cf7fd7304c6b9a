// Line settings (DCB) as termios settings: what a POSIX serial device is given
// when the DCB is applied to it. Pure: it touches no device.
#pragma once

#include <termios.h>

#include <cstdint>
#include <functional>

#include "serial/dcb.h"

namespace tapix {

struct LineConfig {
  termios tio{};                 // raw mode plus the line settings
  std::uint32_t custom_baud = 0; // a rate with no B constant (set through termios2), else 0
  bool rts = true;               // level of RTS to set (not touched when CRTSCTS is on)
  bool dtr = true;               // level of DTR to set
};

// The termios B constant of a rate, or B0 when there is none.
speed_t SpeedConstant(std::uint32_t rate);

// Builds the settings of `dcb` on top of `current` (the settings the device
// has now; only fields the DCB does not describe are kept). Returns 0, or
// EINVAL for a DCB that no termios can express: rate 0, data bits outside 5..8,
// an unknown parity or stop-bits code, 1.5 stop bits with more than 5 data bits.
//
// Flow control: output waits for CTS only with fOutxCtsFlow (CRTSCTS, which on
// Linux covers both directions); RTS or DTR "handshake" without it just raises
// the line, so the default DCB never stalls output on a three-wire cable.
// fOutX/fInX become IXON/IXOFF. DSR flow, fNull and fAbortOnError have no
// termios counterpart and are left out.
// `refused`, when given, names the field that made the DCB inexpressible.
int MapDcb(const DCB& dcb, const termios& current, LineConfig& out, LineField* refused = nullptr);

// The first line setting in which `got` differs from `wanted` (what a driver
// kept instead of what it was asked for); None when they agree.
LineField DifferingField(const termios& got, const termios& wanted);

// Finds the field a device refuses by changing `from` towards `to` one field
// at a time (rate, data bits, parity, stop bits) and asking `accepts` after
// each step; the first step it refuses names the field. None when every step
// is accepted (the refusal lies in a setting not listed, such as flow control).
LineField FirstRefusedField(const termios& from, const termios& to,
                            const std::function<bool(const termios&)>& accepts);

}  // namespace tapix
