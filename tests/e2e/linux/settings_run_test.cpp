// Line settings between runs, through the real program and its settings file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tapix_process.h"

namespace tapix::e2e {
namespace {

TEST(SettingsRun, ADevicePathAndItsSettingsComeBackWithoutArgument) {
  TempDir config;
  PtyPair pty;
  std::string port_line;
  {
    TapixProcess first({"--no-window", pty.path() + ",19200,N,8,1"}, config.path());
    const std::size_t at = first.WaitFor(") succeeded\n");
    ASSERT_NE(at, std::string::npos) << first.Log();
    const std::size_t start = first.Log().rfind("CreateFile (COM", at);
    port_line = first.Log().substr(start, at - start);
    first.Command("quit");
    ASSERT_EQ(first.Wait(), 0);
  }
  const std::string store = StoreText(config);
  EXPECT_NE(store.find("\"Baud\"=\"19200\""), std::string::npos) << store;
  EXPECT_NE(store.find("\"Parity\"=\"0\""), std::string::npos) << store;
  EXPECT_NE(store.find("\"Autoconnect\"=\"0\""), std::string::npos) << store;
  EXPECT_NE(store.find(pty.path()), std::string::npos) << "the port map keeps the path\n" << store;

  TapixProcess second({"--no-window"}, config.path());
  const std::size_t at = second.WaitFor(") succeeded\n");
  ASSERT_NE(at, std::string::npos) << second.Log();
  EXPECT_NE(second.Log().find("usage: Tapix nCom[,9600,N,8,1]\n"), std::string::npos);
  EXPECT_NE(second.Log().find(port_line), std::string::npos) << second.Log();
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");  // it is the same line
  second.Command("quit");
  EXPECT_EQ(second.Wait(), 0);
}

TEST(SettingsRun, ARunThatEndsInThePortQuestionSavesNoValues) {
  TempDir config;
  {
    TapixProcess cancelled({"--no-window", "0"}, config.path());
    EXPECT_NE(cancelled.WaitFor("COM-Port Ausw\xE4hlen:\n"), std::string::npos) << cancelled.Log();
    cancelled.CloseInput();  // end of input: cancel
    EXPECT_EQ(cancelled.Wait(), 1);
    EXPECT_EQ(cancelled.Log().find("CreateFile"), std::string::npos);
  }
  {
    // An answer naming no port in the list: OK without a choice, port 0, the end.
    TapixProcess none({"--no-window", "COM3"}, config.path());
    EXPECT_NE(none.WaitFor("COM-Port Ausw\xE4hlen:\n"), std::string::npos);
    none.Command("77");
    EXPECT_EQ(none.Wait(), 1);
    EXPECT_EQ(none.Log().find("CreateFile"), std::string::npos);
  }
  // The first load made the empty key; no value was saved.
  const std::string store = StoreText(config);
  EXPECT_NE(store.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\TRESOL\\Ventrix Test]\n"), std::string::npos)
      << store;
  EXPECT_EQ(store.find("\"="), std::string::npos) << "values were saved:\n" << store;
}

}  // namespace
}  // namespace tapix::e2e
