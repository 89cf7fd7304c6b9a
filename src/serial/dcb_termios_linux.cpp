#include "serial/dcb_termios_linux.h"

#include <cerrno>

namespace tapix {

namespace {

struct RateEntry {
  std::uint32_t rate;
  speed_t speed;
};

constexpr RateEntry kRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

constexpr char kDefaultXon = 0x11;
constexpr char kDefaultXoff = 0x13;

}  // namespace

speed_t SpeedConstant(std::uint32_t rate) {
  for (const RateEntry& e : kRates)
    if (e.rate == rate) return e.speed;
  return B0;
}

int MapDcb(const DCB& dcb, const termios& current, LineConfig& out, LineField* refused) {
  out = LineConfig{};
  termios t = current;
  LineField unused;
  LineField& field = refused != nullptr ? *refused : unused;
  field = LineField::None;
  auto refuse = [&field](LineField which) {
    field = which;
    return EINVAL;
  };

  // Rate 0 would be B0, which drops DTR (a hang-up), never a line speed.
  if (dcb.BaudRate == 0) return refuse(LineField::Rate);
  speed_t speed = SpeedConstant(dcb.BaudRate);
  if (speed == B0) {
    out.custom_baud = dcb.BaudRate;
    speed = B38400;  // placeholder; the real rate goes through termios2
  }
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);

  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | HUPCL);
  t.c_cflag |= CLOCAL | CREAD;

  switch (dcb.ByteSize) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return refuse(LineField::DataBits);
  }

  switch (dcb.Parity) {
    case NOPARITY: break;
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: return refuse(LineField::Parity);
  }

  switch (dcb.StopBits) {
    case ONESTOPBIT: break;
    case TWOSTOPBITS: t.c_cflag |= CSTOPB; break;
    case ONE5STOPBITS:
      // A UART sends 1.5 stop bits for "two" only with 5 data bits.
      if (dcb.ByteSize != 5) return refuse(LineField::StopBits);
      t.c_cflag |= CSTOPB;
      break;
    default: return refuse(LineField::StopBits);
  }

  if (dcb.fOutxCtsFlow) t.c_cflag |= CRTSCTS;
  out.rts = dcb.fRtsControl != RTS_CONTROL_DISABLE;
  out.dtr = dcb.fDtrControl != DTR_CONTROL_DISABLE;

  // Raw input: bytes arrive as sent. Breaks are not turned into bytes, and a
  // byte with a parity error is delivered as received unless the DCB asks for
  // it to be replaced (then it reads as NUL, the one replacement termios has).
  t.c_iflag &= ~static_cast<tcflag_t>(BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                      IXOFF | IXANY | INPCK | IGNPAR | IUCLC | IMAXBEL);
  t.c_iflag |= IGNBRK;
  if (dcb.fParity && dcb.fErrorChar && dcb.Parity != NOPARITY) t.c_iflag |= INPCK;
  if (dcb.fOutX) t.c_iflag |= IXON;
  if (dcb.fInX) t.c_iflag |= IXOFF;

  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN |
                                      NOFLSH | TOSTOP);

  const bool own_chars = dcb.XonChar != dcb.XoffChar;
  t.c_cc[VSTART] = static_cast<cc_t>(own_chars ? dcb.XonChar : kDefaultXon);
  t.c_cc[VSTOP] = static_cast<cc_t>(own_chars ? dcb.XoffChar : kDefaultXoff);
  // Non-blocking reads: a read returns what is there, EAGAIN when nothing is,
  // and 0 only once the line has hung up.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;

  out.tio = t;
  return 0;
}

namespace {

constexpr tcflag_t kParityBits = PARENB | PARODD | CMSPAR;

// The settings of each field, in the order they are tried.
struct FieldBits {
  LineField field;
  tcflag_t bits;  // 0: the rate
};
constexpr FieldBits kFields[] = {
    {LineField::Rate, 0},
    {LineField::DataBits, CSIZE},
    {LineField::Parity, kParityBits},
    {LineField::StopBits, CSTOPB},
};

bool SameField(const termios& a, const termios& b, const FieldBits& f) {
  if (f.bits == 0) return cfgetospeed(&a) == cfgetospeed(&b) && cfgetispeed(&a) == cfgetispeed(&b);
  return (a.c_cflag & f.bits) == (b.c_cflag & f.bits);
}

void TakeField(termios& into, const termios& from, const FieldBits& f) {
  if (f.bits == 0) {
    cfsetospeed(&into, cfgetospeed(&from));
    cfsetispeed(&into, cfgetispeed(&from));
    return;
  }
  into.c_cflag = (into.c_cflag & ~f.bits) | (from.c_cflag & f.bits);
}

}  // namespace

LineField DifferingField(const termios& got, const termios& wanted) {
  for (const FieldBits& f : kFields)
    if (!SameField(got, wanted, f)) return f.field;
  return LineField::None;
}

LineField FirstRefusedField(const termios& from, const termios& to,
                            const std::function<bool(const termios&)>& accepts) {
  termios step = from;
  for (const FieldBits& f : kFields) {
    if (SameField(step, to, f)) continue;
    TakeField(step, to, f);
    if (!accepts(step)) return f.field;
  }
  return LineField::None;
}

}  // namespace tapix
