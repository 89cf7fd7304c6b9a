// What tapix.exe prints before any run: the help, the version and the port
// list come out as the log does (the console switched to code page 1252
// first, so the umlauts are code page 1252 bytes, and "\n" line ends), and
// the list names the device that Windows lists behind each port.
#include <gtest/gtest.h>

#include <regex>

#include "wine_line.h"

namespace tapix::wine {
namespace {

TEST(WineInfo, HelpVersionAndListHaveTheBytesAndLineEndsOfTheLog) {
  TAPIX_NEED_WINE();
  TapixProcess info(Tapix(), {"--version", "--help", "--list"}, WineEnvironment());
  EXPECT_EQ(info.Wait(milliseconds(15000)), 0) << info.Log();
  const std::string out = info.Log();
  EXPECT_EQ(out.find('\r'), std::string::npos) << "a CRLF line end:\n" << out;
  EXPECT_EQ(out.rfind("tapix ", 0), 0u) << out;
  EXPECT_NE(out.find("vorhandene Schnittstellen mit Nummer und Ger\xE4t\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  4  die Protokolldatei (--log) nicht bis zum Ende geschrieben"), std::string::npos)
      << out;
  // COM5 is in the environment's list of serial devices (scripts/wine-env).
  EXPECT_TRUE(std::regex_search(out, std::regex("\nCOM5\t[^\t\n]+\n"))) << out;

  TapixProcess wrong(Tapix(), {"--frobnicate"}, WineEnvironment());
  EXPECT_EQ(wrong.Wait(milliseconds(15000)), 2);
  EXPECT_NE(wrong.Log().find("tapix: unbekannte Option --frobnicate\n"), std::string::npos)
      << wrong.Log();
  EXPECT_EQ(wrong.Log().find('\r'), std::string::npos) << wrong.Log();
}

}  // namespace
}  // namespace tapix::wine
