// Rates without a termios B constant (14400, 56000, ...), through the Linux
// termios2 interface. Kept apart because the kernel's termios headers clash
// with <termios.h>.
#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>

namespace tapix {

// Applies glibc termios settings with the rate `rate` in one step (TCSETS2
// with BOTHER). Returns 0 or the errno of the failing call.
int ApplyWithCustomBaudRaw(int fd, const void* glibc_termios, std::uint32_t rate);

// The implementation reads glibc's termios through a copy of its layout.
static_assert(sizeof(termios) == 60 && offsetof(termios, c_line) == 16 &&
                  offsetof(termios, c_cc) == 17 && offsetof(termios, c_ispeed) == 52,
              "glibc termios layout");

inline int ApplyWithCustomBaud(int fd, const termios& t, std::uint32_t rate) {
  return ApplyWithCustomBaudRaw(fd, &t, rate);
}

// True when a c_cflag holds a rate given in Hz (BOTHER) rather than a B constant.
bool IsCustomBaudFlag(unsigned int cflag);

// The output rate the device reports in Hz (TCGETS2); 0 when it cannot tell.
std::uint32_t ReadOutputBaud(int fd);

}  // namespace tapix
