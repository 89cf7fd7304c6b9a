// The line settings record in the layout of the Win32 device-control block.
//
// The record is handed around and overwritten as one 28-byte block (the port
// configuration dialog returns a whole one), so on Linux it keeps exactly the
// platform layout: the same fields, the same bit fields, the same size.
#pragma once

#include <cstdint>
#include <cstring>

namespace tapix {

// Codes of the Parity field.
enum : std::uint8_t { NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4 };
// Codes of the StopBits field.
enum : std::uint8_t { ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2 };
// Values of fDtrControl and fRtsControl.
enum : std::uint32_t {
  DTR_CONTROL_DISABLE = 0, DTR_CONTROL_ENABLE = 1, DTR_CONTROL_HANDSHAKE = 2,
  RTS_CONTROL_DISABLE = 0, RTS_CONTROL_ENABLE = 1, RTS_CONTROL_HANDSHAKE = 2, RTS_CONTROL_TOGGLE = 3,
};

struct DCB {
  std::uint32_t DCBlength;
  std::uint32_t BaudRate;
  std::uint32_t fBinary : 1;
  std::uint32_t fParity : 1;
  std::uint32_t fOutxCtsFlow : 1;
  std::uint32_t fOutxDsrFlow : 1;
  std::uint32_t fDtrControl : 2;
  std::uint32_t fDsrSensitivity : 1;
  std::uint32_t fTXContinueOnXoff : 1;
  std::uint32_t fOutX : 1;
  std::uint32_t fInX : 1;
  std::uint32_t fErrorChar : 1;
  std::uint32_t fNull : 1;
  std::uint32_t fRtsControl : 2;
  std::uint32_t fAbortOnError : 1;
  std::uint32_t fDummy2 : 17;
  std::uint16_t wReserved;
  std::uint16_t XonLim;
  std::uint16_t XoffLim;
  std::uint8_t ByteSize;
  std::uint8_t Parity;
  std::uint8_t StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  std::uint16_t wReserved1;
};

static_assert(sizeof(DCB) == 28, "DCB must keep the 28-byte platform layout");

// The line setting a device refused, for the failure report: the rate, the
// data bits, the parity or the stop bits; None when it cannot tell.
enum class LineField { None, Rate, DataBits, Parity, StopBits };

// The bit fields fBinary .. fAbortOnError as the one 32-bit flag word.
inline std::uint32_t FlagWord(const DCB& dcb) {
  std::uint32_t word;
  std::memcpy(&word, reinterpret_cast<const unsigned char*>(&dcb) + 8, sizeof word);
  return word;
}

inline void SetFlagWord(DCB& dcb, std::uint32_t word) {
  std::memcpy(reinterpret_cast<unsigned char*>(&dcb) + 8, &word, sizeof word);
}

}  // namespace tapix
