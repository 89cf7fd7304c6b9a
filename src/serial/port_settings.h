// The one record of the serial line: line settings, port number, Autoconnect.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "serial/dcb.h"

namespace tapix {

// Accepted baud rates, closed by 0. A rate is accepted only when it equals an
// entry before the 0; the 0 itself is never accepted.
inline constexpr std::array<std::uint32_t, 14> BaudTable = {
    110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 0};

bool IsTableBaud(std::uint32_t rate);

struct PortSettings {
  DCB dcb;
  std::uint32_t port;         // n of COMn; 0 = none chosen
  std::uint32_t Autoconnect;  // 0 or 1; only loaded and saved
};

// All 28 bytes of the DCB, the port number and Autoconnect become 0.
void Clear(PortSettings& settings);

// Fills a DCB from scratch: flag word 0x20A1, plus fParity for a parity other than none.
void InitDcb(DCB& dcb, std::uint32_t baud, std::uint8_t parity, std::uint8_t data_bits,
             std::uint8_t stop_bits);

// Clear, port 1, InitDcb(9600, even, 8, one): the built-in defaults.
void SetDefaults(PortSettings& settings);

// Applies the command-line text "nCom[,9600,N,8,1]". Malformed text only ends
// the parse early; whatever was applied before stays applied.
void ParseArgument(PortSettings& settings, std::string_view text);

}  // namespace tapix
