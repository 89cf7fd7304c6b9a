// tapix.exe under Wine and the registry: the settings written at the end of a
// run come back at the next start without argument; an argument wins over
// them, and they over the defaults. The line settings are read back from the
// pty, where Wine applied them. And the failure line of a port that is not
// there, with its Windows error code and text.
#include <gtest/gtest.h>
#include <signal.h>
#include <termios.h>

#include "wine_line.h"

namespace tapix::wine {
namespace {

std::size_t Opened(TapixProcess& tapix, unsigned port) {
  return tapix.WaitFor("CreateFile (COM" + std::to_string(port) + ") succeeded\n", 0,
                       milliseconds(15000));
}

bool TwoStopBits(const ComPort& port) { return (port.Settings().c_cflag & CSTOPB) != 0; }
speed_t Speed(const ComPort& port) {
  const termios t = port.Settings();
  return ::cfgetospeed(&t);
}
// Puts the pty back to 9600 baud, one stop bit, so a later start shows its own.
void Reset(const ComPort& port) {
  termios t = port.Settings();
  ::cfsetspeed(&t, B9600);
  t.c_cflag &= ~CSTOPB;
  ::tcsetattr(port.fd(), TCSANOW, &t);  // the master shares the slave's settings
}

TEST(WineSettings, SavedAtTheEndReusedWithoutArgumentArgumentFirstDefaultsLast) {
  TAPIX_NEED_WINE();
  ForgetSettings();
  ComPort port(9);
  ASSERT_TRUE(port.Mapped());
  {
    TapixProcess first(Tapix(), {"9,19200,N,8,2"}, WineEnvironment());
    ASSERT_NE(Opened(first, 9), std::string::npos) << first.Log();
    EXPECT_EQ(Speed(port), B19200);
    EXPECT_TRUE(TwoStopBits(port));
    first.Command("quit");
    ASSERT_EQ(first.Wait(milliseconds(15000)), 0) << first.Log();
  }
  const std::string stored = StoredSettings();
  for (const char* value : {"Port    REG_SZ    9\r\n", "Baud    REG_SZ    19200\r\n",
                            "Bits    REG_SZ    8\r\n", "Parity    REG_SZ    0\r\n",
                            "StopBits    REG_SZ    2\r\n", "Autoconnect    REG_SZ    0\r\n"})
    EXPECT_NE(stored.find(value), std::string::npos) << value << " missing in\n" << stored;

  Reset(port);
  {
    TapixProcess second(Tapix(), {}, WineEnvironment());
    ASSERT_NE(Opened(second, 9), std::string::npos) << second.Log();
    EXPECT_NE(second.Log().find("usage: Tapix nCom[,9600,N,8,1]\n"), std::string::npos);
    EXPECT_EQ(Speed(port), B19200);
    EXPECT_TRUE(TwoStopBits(port));
    port.Send("A005");
    EXPECT_EQ(port.Receive(1), "R");  // the same line
    ::kill(second.pid(), SIGINT);     // Ctrl+C ends it like "Beenden"
    ASSERT_EQ(second.Wait(milliseconds(15000)), 0) << second.Log();
  }

  Reset(port);
  {
    // The fields it gives win; the others come from the registry.
    TapixProcess third(Tapix(), {"9,4800"}, WineEnvironment());
    ASSERT_NE(Opened(third, 9), std::string::npos) << third.Log();
    EXPECT_EQ(Speed(port), B4800);
    EXPECT_TRUE(TwoStopBits(port));
    third.Command("quit");
    ASSERT_EQ(third.Wait(milliseconds(15000)), 0);
  }
  EXPECT_NE(StoredSettings().find("Baud    REG_SZ    4800\r\n"), std::string::npos);

  ForgetSettings();
  ComPort com1(1);  // in place of Wine's own COM1 (/dev/ttyS0)
  ASSERT_TRUE(com1.Mapped());
  {
    TapixProcess fresh(Tapix(), {}, WineEnvironment());
    ASSERT_NE(Opened(fresh, 1), std::string::npos) << fresh.Log();
    EXPECT_EQ(Speed(com1), B9600);
    EXPECT_FALSE(TwoStopBits(com1));
    EXPECT_EQ(com1.Settings().c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    fresh.Command("quit");
    ASSERT_EQ(fresh.Wait(milliseconds(15000)), 0);
  }
  ForgetSettings();
}

// As on Linux: a first run that ends at the port question saves no values,
// and its load made the empty key (RegCreateKeyEx) below HKEY_LOCAL_MACHINE.
TEST(WineSettings, AFirstRunThatSavesNothingLeavesTheEmptyKey) {
  TAPIX_NEED_WINE();
  ForgetSettings();
  TapixProcess asked(Tapix(), {"--no-window", "0"}, WineEnvironment());
  EXPECT_NE(asked.WaitFor("COM-Port Ausw\xE4hlen:\n", 0, milliseconds(15000)), std::string::npos)
      << asked.Log();
  asked.CloseInput();
  EXPECT_EQ(asked.Wait(milliseconds(15000)), 1) << asked.Log();
  int status = 0;
  const std::string stored = RunWine({"reg", "query", std::string("HKLM\\") + kSettingsKey}, &status);
  EXPECT_EQ(status, 0) << "no key:\n" << stored;
  EXPECT_EQ(stored.find("REG_SZ"), std::string::npos) << "values were saved:\n" << stored;
  ForgetSettings();
}

TEST(WineSettings, APortThatIsNotThereGivesTheFailureLineWithItsWindowsCode) {
  TAPIX_NEED_WINE();
  std::error_code ec;
  std::filesystem::remove(Prefix() + "/dosdevices/com29", ec);
  TapixProcess tapix(Tapix(), {"29,9600,N,8,1"}, WineEnvironment());
  const std::string line =
      "CreateFile (COM29) failed with error 2 - File not found.\n\n";
  EXPECT_NE(tapix.WaitFor(line, 0, milliseconds(15000)), std::string::npos) << tapix.Log();
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(milliseconds(15000)), 0);
  ForgetSettings();
}

}  // namespace
}  // namespace tapix::wine
