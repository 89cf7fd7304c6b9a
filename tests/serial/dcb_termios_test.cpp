#include "serial/dcb_termios.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "serial/port_settings.h"

namespace tapix {
namespace {

// A terminal in cooked mode, as a device is often found.
termios Cooked() {
  termios t{};
  t.c_iflag = ICRNL | IXON | BRKINT | ISTRIP | INPCK;
  t.c_oflag = OPOST | ONLCR;
  t.c_cflag = CS7 | PARENB | HUPCL | CRTSCTS;
  t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  cfsetispeed(&t, B4800);
  cfsetospeed(&t, B4800);
  return t;
}

DCB Dcb(std::uint32_t baud = 9600, std::uint8_t parity = EVENPARITY, std::uint8_t bits = 8,
        std::uint8_t stop = ONESTOPBIT) {
  DCB dcb;
  InitDcb(dcb, baud, parity, bits, stop);
  return dcb;
}

LineConfig Map(const DCB& dcb) {
  LineConfig out;
  EXPECT_EQ(MapDcb(dcb, Cooked(), out), 0);
  return out;
}

int MapError(const DCB& dcb) {
  LineConfig out;
  return MapDcb(dcb, Cooked(), out);
}

TEST(DcbTermios, EveryTableRateMapsToItsConstantOrToTermios2) {
  for (std::uint32_t rate : BaudTable) {
    if (rate == 0) break;
    SCOPED_TRACE(rate);
    const LineConfig c = Map(Dcb(rate));
    if (rate == 14400 || rate == 56000) {
      EXPECT_EQ(c.custom_baud, rate);  // no B constant exists
    } else {
      EXPECT_EQ(c.custom_baud, 0u);
      EXPECT_EQ(cfgetospeed(&c.tio), SpeedConstant(rate));
      EXPECT_EQ(cfgetispeed(&c.tio), SpeedConstant(rate));
      EXPECT_NE(SpeedConstant(rate), B0);
    }
  }
}

TEST(DcbTermios, RatesOutsideTheTable) {
  const LineConfig fast = Map(Dcb(230400));
  EXPECT_EQ(cfgetospeed(&fast.tio), B230400);
  EXPECT_EQ(Map(Dcb(250000)).custom_baud, 250000u);
  // Rate 0 would be B0: a hang-up, not a speed.
  EXPECT_EQ(MapError(Dcb(0)), EINVAL);
}

TEST(DcbTermios, DataBits) {
  EXPECT_EQ(Map(Dcb(9600, NOPARITY, 5)).tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
  EXPECT_EQ(Map(Dcb(9600, NOPARITY, 6)).tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS6));
  EXPECT_EQ(Map(Dcb(9600, NOPARITY, 7)).tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
  EXPECT_EQ(Map(Dcb(9600, NOPARITY, 8)).tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(MapError(Dcb(9600, NOPARITY, 4)), EINVAL);
  EXPECT_EQ(MapError(Dcb(9600, NOPARITY, 9)), EINVAL);
}

TEST(DcbTermios, ParityIncludingMarkAndSpace) {
  constexpr tcflag_t kParity = PARENB | PARODD | CMSPAR;
  EXPECT_EQ(Map(Dcb(9600, NOPARITY)).tio.c_cflag & kParity, 0u);
  EXPECT_EQ(Map(Dcb(9600, ODDPARITY)).tio.c_cflag & kParity, static_cast<tcflag_t>(PARENB | PARODD));
  EXPECT_EQ(Map(Dcb(9600, EVENPARITY)).tio.c_cflag & kParity, static_cast<tcflag_t>(PARENB));
  EXPECT_EQ(Map(Dcb(9600, MARKPARITY)).tio.c_cflag & kParity,
            static_cast<tcflag_t>(PARENB | PARODD | CMSPAR));
  EXPECT_EQ(Map(Dcb(9600, SPACEPARITY)).tio.c_cflag & kParity, static_cast<tcflag_t>(PARENB | CMSPAR));
  EXPECT_EQ(MapError(Dcb(9600, 5)), EINVAL);
}

TEST(DcbTermios, StopBits) {
  EXPECT_EQ(Map(Dcb(9600, NOPARITY, 8, ONESTOPBIT)).tio.c_cflag & CSTOPB, 0u);
  EXPECT_NE(Map(Dcb(9600, NOPARITY, 8, TWOSTOPBITS)).tio.c_cflag & CSTOPB, 0u);
  // 1.5 exists only with 5 data bits, where the UART's "two" means 1.5.
  EXPECT_NE(Map(Dcb(9600, NOPARITY, 5, ONE5STOPBITS)).tio.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(MapError(Dcb(9600, NOPARITY, 8, ONE5STOPBITS)), EINVAL);
  EXPECT_EQ(MapError(Dcb(9600, NOPARITY, 8, 3)), EINVAL);
}

TEST(DcbTermios, DefaultFlowControlNeverWaitsForCts) {
  // Flag word 0x20A3: DTR and RTS handshake on the input side only.
  const LineConfig c = Map(Dcb());
  EXPECT_EQ(c.tio.c_cflag & CRTSCTS, 0u);
  EXPECT_TRUE(c.rts);
  EXPECT_TRUE(c.dtr);
  EXPECT_EQ(c.tio.c_iflag & (IXON | IXOFF), 0u);
}

TEST(DcbTermios, FlowControlSwitches) {
  DCB dcb = Dcb();
  dcb.fOutxCtsFlow = 1;
  EXPECT_NE(Map(dcb).tio.c_cflag & CRTSCTS, 0u);

  dcb = Dcb();
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  EXPECT_FALSE(Map(dcb).rts);
  EXPECT_FALSE(Map(dcb).dtr);
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  EXPECT_TRUE(Map(dcb).rts);
  EXPECT_TRUE(Map(dcb).dtr);

  dcb = Dcb();
  dcb.fOutX = 1;
  EXPECT_EQ(Map(dcb).tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON));
  dcb.fOutX = 0;
  dcb.fInX = 1;
  EXPECT_EQ(Map(dcb).tio.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXOFF));
}

TEST(DcbTermios, XonXoffCharacters) {
  DCB dcb = Dcb();
  LineConfig c = Map(dcb);  // both 0 in the defaults: the usual DC1/DC3
  EXPECT_EQ(c.tio.c_cc[VSTART], 0x11);
  EXPECT_EQ(c.tio.c_cc[VSTOP], 0x13);
  dcb.XonChar = 'a';
  dcb.XoffChar = 'b';
  c = Map(dcb);
  EXPECT_EQ(c.tio.c_cc[VSTART], 'a');
  EXPECT_EQ(c.tio.c_cc[VSTOP], 'b');
}

TEST(DcbTermios, RawModeWhateverTheDeviceHad) {
  const LineConfig c = Map(Dcb());
  EXPECT_EQ(c.tio.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
  EXPECT_EQ(c.tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(c.tio.c_iflag & (ICRNL | ISTRIP | BRKINT | INPCK), 0u);
  EXPECT_EQ(c.tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
  EXPECT_EQ(c.tio.c_cflag & HUPCL, 0u);
  EXPECT_EQ(c.tio.c_cc[VMIN], 1);
  EXPECT_EQ(c.tio.c_cc[VTIME], 0);
}

TEST(DcbTermios, ParityErrorsReplaceBytesOnlyWhenAsked) {
  DCB dcb = Dcb();  // fParity set, no error character: bytes pass unchanged
  EXPECT_EQ(Map(dcb).tio.c_iflag & INPCK, 0u);
  dcb.fErrorChar = 1;
  EXPECT_NE(Map(dcb).tio.c_iflag & INPCK, 0u);
}

}  // namespace
}  // namespace tapix
