// A new user's first runs: a virtual line that cannot be made opens nothing,
// the virtual line leaves the real ports' numbers alone, a setting the device
// refuses is not kept, and every way the run can end has its exit code.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tapix_process.h"

namespace tapix::e2e {
namespace {

std::string StorePath(const TempDir& config) { return config.path() + "/tapix/settings.reg"; }

// A settings file as a previous run (or the operator) left it.
void WriteStore(const TempDir& config, const std::string& port, const std::string& ports) {
  std::filesystem::create_directories(config.path() + "/tapix");
  std::ofstream(StorePath(config), std::ios::binary)
      << "Windows Registry Editor Version 5.00\n\n"
      << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test]\n"
      << "\"Port\"=\"" << port << "\"\n\"Baud\"=\"19200\"\n\"Bits\"=\"8\"\n\"Parity\"=\"0\"\n"
      << "\"StopBits\"=\"0\"\n\"Autoconnect\"=\"0\"\n\n"
      << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test\\Ports]\n"
      << ports;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(FirstRun, AVirtualLineThatCannotBeMadeOpensNoPortAndEndsWithTwo) {
  TempDir config;
  PtyPair device;  // the stored port: it must stay untouched
  WriteStore(config, "1", "\"COM1\"=\"" + device.path() + "\"\n");
  const std::string before = StoreText(config);
  const std::string in_the_way = config.path() + "/a-file";
  std::ofstream(in_the_way) << "not a link";

  TapixProcess tapix({"--no-window", "--pty=" + in_the_way}, config.path());
  EXPECT_EQ(tapix.Wait(), 2) << tapix.Log();
  EXPECT_TRUE(Has(tapix.Log(), "Virtuelle Leitung nicht angelegt: Fehler 17 - ")) << tapix.Log();
  EXPECT_FALSE(Has(tapix.Log(), "CreateFile")) << "a real port was opened:\n" << tapix.Log();
  EXPECT_EQ(ReadFile(in_the_way), "not a link");
  EXPECT_EQ(StoreText(config), before) << "nothing is saved";
}

TEST(FirstRun, TheVirtualLineLeavesWhatALaterPlainStartOpens) {
  TempDir config;
  PtyPair device;  // stands for the real COM1
  const std::string gone_link = config.path() + "/old-isb";
  WriteStore(config, "1",
             "\"COM1\"=\"" + device.path() + "\"\n"
             "\"COM7\"=\"" + gone_link + "\"\n"       // a virtual line's link, long gone
             "\"COM8\"=\"/dev/pts/987654\"\n"          // a pty that is no more
             "\"COM9\"=\"/dev/serial/by-id/usb-unplugged\"\n");  // an adapter, unplugged
  const std::string link = config.path() + "/isb";
  std::string line_port;
  {
    TapixProcess run({"--no-window", "--pty=" + link}, config.path());
    const std::size_t at = run.WaitFor(") succeeded\n");
    ASSERT_NE(at, std::string::npos) << run.Log();
    const std::size_t on = run.Log().find("Virtuelle Leitung auf COM");
    ASSERT_NE(on, std::string::npos);
    line_port = run.Log().substr(on + 25, run.Log().find(',', on) - on - 25);
    EXPECT_NE(line_port, "1") << "the virtual line took the real port's number";
    EXPECT_NE(line_port, "9") << "the virtual line took an unplugged adapter's number";
    run.Command("quit");
    EXPECT_EQ(run.Wait(), 0);
  }
  const std::string store = StoreText(config);
  EXPECT_TRUE(Has(store, "\"Port\"=\"1\"")) << store;
  EXPECT_TRUE(Has(store, "\"COM1\"=\"" + device.path() + "\"")) << store;
  EXPECT_TRUE(Has(store, "usb-unplugged")) << "an unplugged adapter keeps its number\n" << store;
  EXPECT_FALSE(Has(store, "old-isb")) << store;
  EXPECT_FALSE(Has(store, "987654")) << store;
  EXPECT_FALSE(Has(store, "\"COM" + line_port + "\"")) << store;
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));

  TapixProcess plain({"--no-window"}, config.path());
  ASSERT_NE(plain.WaitFor("CreateFile (COM1) succeeded\n"), std::string::npos) << plain.Log();
  device.Send("A005");
  EXPECT_EQ(device.Receive(1), "R");  // the plain start is on the real port again
  plain.Command("quit");
  EXPECT_EQ(plain.Wait(), 0);
}

TEST(FirstRun, ARefusedSettingIsNamedNotSavedAndTheNextStartUsesTheLastGoodOne) {
  TempDir config;
  PtyPair pty;
  {
    TapixProcess good({"--no-window", pty.path() + ",19200,N,8,2"}, config.path());
    ASSERT_NE(good.WaitFor(") succeeded\n"), std::string::npos) << good.Log();
    good.Command("quit");
    ASSERT_EQ(good.Wait(), 0);
  }
  {
    // 1.5 stop bits exist only with 5 data bits: every device refuses this.
    TapixProcess bad({"--no-window", pty.path() + ",9600,E,8,1.5"}, config.path());
    const std::size_t at = bad.WaitFor(") failed with error 22 - ");
    ASSERT_NE(at, std::string::npos) << bad.Log();
    EXPECT_NE(bad.WaitFor("Vom Ger\xE4t abgelehnt: Stop-Bits 1.5 (nur mit 5 Daten-Bits)\n", at),
              std::string::npos)
        << bad.Log();
    bad.Command("quit");
    EXPECT_EQ(bad.Wait(), 0);
  }
  const std::string store = StoreText(config);
  EXPECT_TRUE(Has(store, "\"Baud\"=\"19200\"")) << store;
  EXPECT_TRUE(Has(store, "\"Parity\"=\"0\"")) << store;
  EXPECT_TRUE(Has(store, "\"StopBits\"=\"2\"")) << store;

  TapixProcess next({"--no-window"}, config.path());
  ASSERT_NE(next.WaitFor(") succeeded\n"), std::string::npos) << next.Log();
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");
  next.Command("quit");
  EXPECT_EQ(next.Wait(), 0);
}

TEST(FirstRun, AMistypedDeviceIsNotPinnedAndWithoutInputTheRunEndsWithOne) {
  TempDir config;
  TapixProcess tapix({"--no-window", "/dev/ttyUSB-tapix-typo,9600"}, config.path());
  tapix.CloseInput();
  EXPECT_EQ(tapix.Wait(), 1) << tapix.Log();
  EXPECT_TRUE(Has(tapix.Log(), ") failed with error 2 - ")) << tapix.Log();
  EXPECT_TRUE(Has(tapix.Log(), "keine Eingabe mehr")) << tapix.Log();
  EXPECT_FALSE(Has(StoreText(config), "typo")) << StoreText(config);
}

TEST(FirstRun, ExitCodesOfTheOtherEnds) {
  TempDir config;
  {
    TapixProcess unknown({"--no-window", "--frobnicate"}, config.path());
    EXPECT_EQ(unknown.Wait(), 2) << unknown.Log();
  }
  {
    TapixProcess help({"--help"}, config.path());
    EXPECT_EQ(help.Wait(), 0);
    EXPECT_TRUE(Has(help.Log(), "Ende mit:")) << help.Log();
  }
  {
    // "-h" is no option: the note says what was taken, then the port question.
    TapixProcess asked({"--no-window", "-h"}, config.path());
    EXPECT_NE(asked.WaitFor("Nummer eingeben"), std::string::npos) << asked.Log();
    EXPECT_TRUE(Has(asked.Log(), "Argument \"-h\": genommen: COM0 (keine Portnummer); nicht gelesen: \"-h\""))
        << asked.Log();
    asked.CloseInput();
    EXPECT_EQ(asked.Wait(), 1);
  }
  {
    TapixProcess extra({"--no-window", "0", "4800"}, config.path());
    EXPECT_NE(extra.WaitFor("Argument \"4800\" ignoriert"), std::string::npos) << extra.Log();
    extra.Command("77");  // a port that is not in the list
    EXPECT_EQ(extra.Wait(), 1);
  }
  // No values saved: the file holds the empty key the first load made.
  EXPECT_EQ(ReadFile(StorePath(config)).find("\"="), std::string::npos) << ReadFile(StorePath(config));
}

TEST(FirstRun, WithTheWindowAFailedOpenKeepsRunning) {
  TempDir config;
  TapixProcess tapix({"/dev/ttyUSB-tapix-typo"}, config.path(), {{"QT_QPA_PLATFORM", "offscreen"}});
  tapix.CloseInput();
  ASSERT_NE(tapix.WaitFor(") failed with error "), std::string::npos) << tapix.Log();
  EXPECT_EQ(tapix.Wait(milliseconds(1000)), -1) << "the operator can still choose a port\n"
                                                << tapix.Log();
  ::kill(tapix.pid(), SIGTERM);
  EXPECT_EQ(tapix.Wait(), 0);
}

// A window platform that cannot start (a name Qt does not know; linuxfb
// without a frame buffer; eglfs without a DRM device) means a run on the
// console, as without a display: never an abort, the link of the virtual
// line removed at the end and the settings saved.
TEST(FirstRun, AWindowThatCannotStartRunsOnTheConsole) {
  for (const char* platform : {"bogus", "linuxfb", "eglfs"}) {
    SCOPED_TRACE(platform);
    TempDir config;
    const std::string link = config.path() + "/x";
    TapixProcess tapix({"--pty=" + link, "3,19200,N,7,2"}, config.path(),
                       {{"QT_QPA_PLATFORM", platform}, {"XDG_RUNTIME_DIR", config.path()}});
    ASSERT_NE(tapix.WaitFor(") succeeded\n", 0, milliseconds(15000)), std::string::npos) << tapix.Log();
    EXPECT_TRUE(Has(tapix.Log(), std::string("tapix: das Fenster kann nicht starten (QT_QPA_PLATFORM=") +
                                     platform + "), weiter ohne Fenster\n"))
        << tapix.Log();
    tapix.Command("quit");
    EXPECT_EQ(tapix.Wait(), 0) << tapix.Log();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    EXPECT_TRUE(Has(StoreText(config), "\"Bits\"=\"7\"")) << StoreText(config);
  }
}

}  // namespace
}  // namespace tapix::e2e
