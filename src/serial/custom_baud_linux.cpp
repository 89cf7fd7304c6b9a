// Only the kernel's termios definitions here: <termios.h> must not be included.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/retry_eintr.h"

// Defines what custom_baud_linux.h declares. glibc's termios comes in as its
// raw layout (flags, line discipline, control characters).
namespace tapix {
namespace {

// glibc's struct termios, field for field.
struct GlibcTermios {
  unsigned int c_iflag, c_oflag, c_cflag, c_lflag;
  unsigned char c_line;
  unsigned char c_cc[32];
  unsigned int c_ispeed, c_ospeed;
};

int Ioctl(int fd, unsigned long request, void* arg) {
  return RetryEintr([&] { return ::ioctl(fd, request, arg); });
}

}  // namespace

int ApplyWithCustomBaudRaw(int fd, const void* glibc_termios, std::uint32_t rate) {
  GlibcTermios g;
  std::memcpy(&g, glibc_termios, sizeof g);
  struct termios2 k;
  if (Ioctl(fd, TCGETS2, &k) < 0) return errno;
  k.c_iflag = g.c_iflag;
  k.c_oflag = g.c_oflag;
  k.c_cflag = g.c_cflag & ~static_cast<unsigned int>(CBAUD | (CBAUD << IBSHIFT));
  k.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  k.c_lflag = g.c_lflag;
  k.c_line = g.c_line;
  static_assert(sizeof k.c_cc <= sizeof g.c_cc, "kernel control characters fit glibc's");
  std::memcpy(k.c_cc, g.c_cc, sizeof k.c_cc);
  k.c_ispeed = rate;
  k.c_ospeed = rate;
  if (Ioctl(fd, TCSETS2, &k) < 0) return errno;
  return 0;
}

bool IsCustomBaudFlag(unsigned int cflag) { return (cflag & CBAUD) == BOTHER; }

std::uint32_t ReadOutputBaud(int fd) {
  struct termios2 k;
  if (Ioctl(fd, TCGETS2, &k) < 0) return 0;
  return k.c_ospeed;
}

}  // namespace tapix
