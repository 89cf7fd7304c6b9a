#include "serial/dcb_termios_linux.h"

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

namespace tapix {
namespace {

LineField MapRefused(const DCB& dcb) {
  LineConfig out;
  LineField field = LineField::None;
  MapDcb(dcb, Cooked(), out, &field);
  return field;
}

TEST(RefusedField, AnInexpressibleDcbNamesItsField) {
  EXPECT_EQ(MapRefused(Dcb()), LineField::None);
  EXPECT_EQ(MapRefused(Dcb(0)), LineField::Rate);
  EXPECT_EQ(MapRefused(Dcb(9600, EVENPARITY, 9)), LineField::DataBits);
  EXPECT_EQ(MapRefused(Dcb(9600, 7)), LineField::Parity);
  EXPECT_EQ(MapRefused(Dcb(9600, EVENPARITY, 8, ONE5STOPBITS)), LineField::StopBits);
  EXPECT_EQ(MapRefused(Dcb(9600, EVENPARITY, 8, 9)), LineField::StopBits);
}

TEST(RefusedField, WhatTheDriverKeptInsteadOfTheWantedSettings) {
  const termios wanted = Map(Dcb(19200, ODDPARITY, 7, TWOSTOPBITS)).tio;
  EXPECT_EQ(DifferingField(wanted, wanted), LineField::None);
  termios got = wanted;
  cfsetospeed(&got, B9600);
  EXPECT_EQ(DifferingField(got, wanted), LineField::Rate);
  got = wanted;
  got.c_cflag = (got.c_cflag & ~CSIZE) | CS8;
  EXPECT_EQ(DifferingField(got, wanted), LineField::DataBits);
  got = wanted;
  got.c_cflag &= ~PARODD;  // even instead of odd
  EXPECT_EQ(DifferingField(got, wanted), LineField::Parity);
  got = wanted;
  got.c_cflag &= ~CSTOPB;
  EXPECT_EQ(DifferingField(got, wanted), LineField::StopBits);
}

TEST(RefusedField, FieldByFieldFindsTheOneADeviceRefuses) {
  const termios from = Map(Dcb(9600, NOPARITY, 8, ONESTOPBIT)).tio;
  const termios to = Map(Dcb(19200, MARKPARITY, 7, TWOSTOPBITS)).tio;
  int steps = 0;
  // A device without mark parity: rate and data bits pass, parity is refused.
  auto no_mark = [&steps](const termios& t) {
    ++steps;
    return (t.c_cflag & CMSPAR) == 0;
  };
  EXPECT_EQ(FirstRefusedField(from, to, no_mark), LineField::Parity);
  EXPECT_EQ(steps, 3);
  // A device that refuses two stop bits.
  EXPECT_EQ(FirstRefusedField(from, to, [](const termios& t) { return (t.c_cflag & CSTOPB) == 0; }),
            LineField::StopBits);
  // Fields that do not change are not tried: only the rate differs here.
  steps = 0;
  const termios faster = Map(Dcb(19200, NOPARITY, 8, ONESTOPBIT)).tio;
  EXPECT_EQ(FirstRefusedField(from, faster, [&steps](const termios&) { return ++steps, false; }),
            LineField::Rate);
  EXPECT_EQ(steps, 1);
  // Every step taken: the refusal lies elsewhere (flow control, say).
  EXPECT_EQ(FirstRefusedField(from, to, [](const termios&) { return true; }), LineField::None);
}

}  // namespace
}  // namespace tapix
