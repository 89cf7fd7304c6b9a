// Port settings: the DCB layout, the defaults and the command-line grammar.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "serial/port_settings.h"

namespace tapix {
namespace {

TEST(Dcb, KeepsThePlatformLayout) {
  EXPECT_EQ(sizeof(DCB), 28u);
  EXPECT_EQ(offsetof(DCB, BaudRate), 4u);
  EXPECT_EQ(offsetof(DCB, wReserved), 12u);
  EXPECT_EQ(offsetof(DCB, XonLim), 14u);
  EXPECT_EQ(offsetof(DCB, ByteSize), 18u);
  EXPECT_EQ(offsetof(DCB, Parity), 19u);
  EXPECT_EQ(offsetof(DCB, StopBits), 20u);
  EXPECT_EQ(offsetof(DCB, EvtChar), 25u);
  EXPECT_EQ(offsetof(DCB, wReserved1), 26u);
  DCB dcb{};
  dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
  dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  dcb.fTXContinueOnXoff = 1;
  EXPECT_EQ(FlagWord(dcb), 0x20A0u);
  SetFlagWord(dcb, 0x4004u);
  EXPECT_EQ(dcb.fOutxCtsFlow, 1u);
  EXPECT_EQ(dcb.fAbortOnError, 1u);
}

TEST(PortSettingsDefaults, AfterStartUp) {
  PortSettings s;
  std::memset(&s, 0xAB, sizeof s);
  SetDefaults(s);
  EXPECT_EQ(s.port, 1u);
  EXPECT_EQ(s.Autoconnect, 0u);
  EXPECT_EQ(s.dcb.DCBlength, 28u);
  EXPECT_EQ(s.dcb.BaudRate, 9600u);
  EXPECT_EQ(FlagWord(s.dcb), 0x20A3u);
  EXPECT_EQ(s.dcb.ByteSize, 8);
  EXPECT_EQ(s.dcb.Parity, EVENPARITY);
  EXPECT_EQ(s.dcb.StopBits, ONESTOPBIT);
  EXPECT_EQ(s.dcb.XonLim, 0);
  EXPECT_EQ(s.dcb.XonChar, 0);
  EXPECT_EQ(s.dcb.wReserved1, 0);
  DCB none;
  InitDcb(none, 4800, NOPARITY, 7, TWOSTOPBITS);
  EXPECT_EQ(FlagWord(none), 0x20A1u);
}

TEST(BaudTableRules, OnlyListedRatesAndNeverZero) {
  for (std::uint32_t rate : BaudTable) {
    if (rate) {
      EXPECT_TRUE(IsTableBaud(rate)) << rate;
    }
  }
  EXPECT_FALSE(IsTableBaud(0));
  EXPECT_FALSE(IsTableBaud(9601));
  EXPECT_FALSE(IsTableBaud(230400));
}

struct Parsed {
  std::uint32_t port, baud;
  int parity, bits, stop;
};

Parsed Parse(const char* text) {
  PortSettings s;
  SetDefaults(s);
  ParseArgument(s, text);
  EXPECT_EQ(FlagWord(s.dcb), 0x20A3u) << text;  // the parser never touches the flags
  return {s.port, s.dcb.BaudRate, s.dcb.Parity, s.dcb.ByteSize, s.dcb.StopBits};
}

void Expect(const char* text, Parsed want) {
  Parsed got = Parse(text);
  EXPECT_EQ(got.port, want.port) << text;
  EXPECT_EQ(got.baud, want.baud) << text;
  EXPECT_EQ(got.parity, want.parity) << text;
  EXPECT_EQ(got.bits, want.bits) << text;
  EXPECT_EQ(got.stop, want.stop) << text;
}

TEST(ParseArgument, FieldsThatApply) {
  Expect("3", {3, 9600, 2, 8, 0});
  Expect("12,19200,n,7,2", {12, 19200, 0, 7, 2});
  Expect("2,9600,N,8,1.5", {2, 9600, 0, 8, 1});
  Expect("2,,,,2", {2, 9600, 2, 8, 2});
  Expect("007", {7, 9600, 2, 8, 0});
  Expect("2,009600", {2, 9600, 2, 8, 0});
  Expect(",19200", {0, 19200, 2, 8, 0});
  Expect("4,115200,O,5,1", {4, 115200, 1, 5, 0});
  Expect("4,110,m,6,1", {4, 110, 3, 6, 0});
  Expect("4,300,s", {4, 300, 4, 8, 0});
}

TEST(ParseArgument, FieldsThatKeepTheirSettingOrEndTheParse) {
  Expect("1234,4800", {123, 9600, 2, 8, 0});
  Expect("COM3", {0, 9600, 2, 8, 0});
  Expect("", {0, 9600, 2, 8, 0});
  Expect("2,9601,E,8,1", {2, 9600, 2, 8, 0});
  Expect("2,9601,N,7,2", {2, 9600, 0, 7, 2});
  Expect("2,0,N", {2, 9600, 0, 8, 0});
  Expect("2,1152000,N,8,1", {2, 115200, 2, 8, 0});
  Expect("2,9600,X,8,2", {2, 9600, 2, 8, 2});
  Expect("2,9600,EV,8,1", {2, 9600, 2, 8, 0});
  Expect("2,9600,N,9,2", {2, 9600, 0, 8, 2});
  Expect("2,9600,N,88,2", {2, 9600, 0, 8, 0});
  Expect("2,9600,N,8,15", {2, 9600, 0, 8, 0});
  Expect("2,9600,N,8,1.55", {2, 9600, 0, 8, 0});
  Expect("2,9600,N,7,", {2, 9600, 0, 7, 0});
  Expect("2,9600,N,8,2x", {2, 9600, 0, 8, 2});
  Expect("2,9600,", {2, 9600, 2, 8, 0});
  Expect("2,9600,E,", {2, 9600, 2, 8, 0});
  Expect("2,4800,N,7,2.", {2, 4800, 0, 7, 0});  // the run is "2.", not a stop-bits text
  Expect("2,4800,N,7,.2", {2, 4800, 0, 7, 0});
  Expect("2,4800 ,N", {2, 4800, 2, 8, 0});
  Expect("0,4800", {0, 4800, 2, 8, 0});
}

TEST(ParseArgument, ParityNoneKeepsTheParityFlag) {
  PortSettings s;
  SetDefaults(s);
  ParseArgument(s, "2,9600,N");
  EXPECT_EQ(s.dcb.Parity, NOPARITY);
  EXPECT_EQ(FlagWord(s.dcb), 0x20A3u);
}

TEST(ParseArgument, BytesOutsideAsciiAreNotLetters) {
  Expect("2,9600,\xC5,8,2", {2, 9600, 2, 8, 2});
  Expect("\xB3", {0, 9600, 2, 8, 0});
}

// The note start-up prints for an argument (empty when it was read whole).
std::string Note(const char* text) {
  PortSettings s;
  SetDefaults(s);
  ArgumentTrace trace;
  ParseArgument(s, text, &trace);
  // The trace never changes what the parse does.
  PortSettings plain;
  SetDefaults(plain);
  ParseArgument(plain, text);
  EXPECT_EQ(std::memcmp(&plain, &s, sizeof s), 0) << text;
  return DescribeArgument(text, s, trace);
}

TEST(DescribeArgument, SilentForWhatTheGrammarReadsWhole) {
  for (const char* text : {"3", "12,19200,n,7,2", "2,,,,2", "007", "2,9600,", "2,9600,E,",
                           "2,9600,N", "1,9600,E,8,1.5"}) {
    EXPECT_EQ(Note(text), "") << text;
  }
}

TEST(DescribeArgument, SaysWhatWasTakenAndWhereTheParseStopped) {
  const std::string form = " (Form: nCom[,9600,N,8,1]; tapix --help)\n";
  EXPECT_EQ(Note("-h"), "Argument \"-h\": genommen: COM0 (keine Portnummer); nicht gelesen: \"-h\"" + form);
  EXPECT_EQ(Note("-?"), "Argument \"-?\": genommen: COM0 (keine Portnummer); nicht gelesen: \"-?\"" + form);
  EXPECT_EQ(Note("abc"), "Argument \"abc\": genommen: COM0 (keine Portnummer); nicht gelesen: \"abc\"" + form);
  EXPECT_EQ(Note(",19200"), "Argument \",19200\": genommen: COM0 (keine Portnummer), 19200 Baud" + form);
  EXPECT_EQ(Note("2,9600,N,8,1,x"),
            "Argument \"2,9600,N,8,1,x\": genommen: COM2, 9600 Baud, Parity N, 8 Daten-Bits, "
            "1 Stop-Bits; nicht gelesen: \",x\"" + form);
  EXPECT_EQ(Note("1234,4800"), "Argument \"1234,4800\": genommen: COM123; nicht gelesen: \"4,4800\"" + form);
  EXPECT_EQ(Note("2,9601,X,9,15"),
            "Argument \"2,9601,X,9,15\": genommen: COM2; nicht angenommen: Baud-Rate \"9601\", "
            "Parity \"X\", Daten-Bits \"9\", Stop-Bits \"15\"" + form);
  EXPECT_EQ(Note("2,9600,EV,8,1"),
            "Argument \"2,9600,EV,8,1\": genommen: COM2, 9600 Baud, Parity E; nicht gelesen: \"V,8,1\"" + form);
  EXPECT_EQ(Note("2,1152000,N"),
            "Argument \"2,1152000,N\": genommen: COM2, 115200 Baud; nicht gelesen: \"0,N\"" + form);
}

TEST(DescribeArgument, ControlBytesAndLongTextStaySafeOnATerminal) {
  const std::string note = Note("\x1B[2J\"x");
  EXPECT_EQ(note.find('\x1B'), std::string::npos) << note;
  EXPECT_NE(note.find("\\x1B[2J\\x22x"), std::string::npos) << note;
  const std::string long_text(5000, 'z');
  EXPECT_LT(Note(long_text.c_str()).size(), 250u);
}

}  // namespace
}  // namespace tapix
