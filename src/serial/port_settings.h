// The one record of the serial line: line settings, port number, Autoconnect.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
  std::uint32_t Autoconnect;  // 0 or 1: a port that hung up is opened again once it is back
};

// All 28 bytes of the DCB, the port number and Autoconnect become 0.
void Clear(PortSettings& settings);

// Fills a DCB from scratch: flag word 0x20A1, plus fParity for a parity other than none.
void InitDcb(DCB& dcb, std::uint32_t baud, std::uint8_t parity, std::uint8_t data_bits,
             std::uint8_t stop_bits);

// Clear, port 1, InitDcb(9600, even, 8, one): the built-in defaults.
void SetDefaults(PortSettings& settings);

// What ParseArgument made of a text, for the line that tells the operator.
struct ArgumentTrace {
  std::size_t read = 0;          // bytes taken; the parse stopped there
  bool port_digits = false;      // the port field had a digit
  std::vector<LineField> applied;                           // in field order
  std::vector<std::pair<LineField, std::string>> refused;   // read, not taken
};

// Applies the command-line text "nCom[,9600,N,8,1]". Malformed text only ends
// the parse early; whatever was applied before stays applied. `trace`, when
// given, records what was taken and where the parse stopped.
void ParseArgument(PortSettings& settings, std::string_view text, ArgumentTrace* trace = nullptr);

// One line saying what was taken from an argument that the grammar could not
// read whole (no port digit, a value outside its list, text left over), e.g.
// 'Argument "-h": genommen: COM0 (keine Portnummer); nicht gelesen: "-h"'.
// "" when everything was read and taken. `settings` is the record after the
// parse (the values taken are shown from it).
std::string DescribeArgument(std::string_view text, const PortSettings& settings,
                             const ArgumentTrace& trace);

}  // namespace tapix
