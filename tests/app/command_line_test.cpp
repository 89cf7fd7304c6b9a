// The options that exist only where the platform has them, and the port list.
#include <gtest/gtest.h>

#include <string>

#include "app/run_platform.h"
#include "app/startup.h"

namespace tapix {
namespace {

TEST(PlatformOptions, AVirtualLineIsOfferedOnlyWhereItExists) {
  const bool help_names_it = OptionsHelp().find("--pty") != std::string::npos;
  EXPECT_EQ(help_names_it, VirtualLineSupported());
  for (const char* arg : {"--pty", "--pty=/tmp/x"}) {
    const StartOptions o = ParseCommandLine({arg});
    EXPECT_EQ(o.virtual_line, VirtualLineSupported()) << arg;
    EXPECT_EQ(o.error.empty(), VirtualLineSupported()) << arg;
  }
}

// Autoconnect from the command line: the last of the two options wins; none
// leaves the stored value alone.
TEST(CommandLine, AutoconnectOptions) {
  EXPECT_FALSE(ParseCommandLine({"1"}).autoconnect);
  EXPECT_EQ(ParseCommandLine({"--autoconnect"}).autoconnect, true);
  EXPECT_EQ(ParseCommandLine({"--autoconnect", "--no-autoconnect"}).autoconnect, false);
  EXPECT_EQ(ParseCommandLine({"--no-autoconnect", "2", "--autoconnect"}).autoconnect, true);
  EXPECT_FALSE(ParseCommandLine({"--autoconnect=1"}).error.empty());
  EXPECT_NE(OptionsHelp().find("--no-autoconnect"), std::string::npos);
}

// The options of a long run on site: stamps with the date, a log file that
// rotates at a size, and the diagnosis of the options; a value they cannot
// take is an error (exit code 2), never a silent default.
TEST(SiteOptions, DatesSizesAndTheDiagnosisAreReadOrRefused) {
  StartOptions o = ParseCommandLine({"--timestamps=date", "--log=x.log", "--log-max=10M"});
  EXPECT_TRUE(o.error.empty()) << o.error;
  EXPECT_TRUE(o.timestamps);
  EXPECT_TRUE(o.timestamps_date);
  EXPECT_EQ(o.log_max, 10 << 20);
  o = ParseCommandLine({"--timestamps", "--log=x.log", "--log-max=500k"});
  EXPECT_FALSE(o.timestamps_date);
  EXPECT_EQ(o.log_max, 500 << 10);
  EXPECT_EQ(ParseCommandLine({"--log=x", "--log-max=2048"}).log_max, 2048);
  for (const char* bad : {"--log-max=10X", "--log-max=", "--log-max=0", "--log-max=1023",
                          "--log-max=1.5M", "--log-max=-5k", "--log-max=99999999999G"}) {
    o = ParseCommandLine({"--log=x.log", bad});
    EXPECT_NE(o.error.find("mindestens 1k"), std::string::npos) << bad << ": " << o.error;
  }
  EXPECT_EQ(ParseCommandLine({"--log-max=1M"}).error, "--log-max braucht --log=DATEI");
  EXPECT_FALSE(ParseCommandLine({"--timestamps=iso"}).error.empty());

  o = ParseCommandLine({"--detect", "3"});
  EXPECT_EQ(o.detect_seconds, kDetectSeconds);
  EXPECT_TRUE(o.no_window);  // it ends by itself with its answer, on the console
  EXPECT_EQ(ParseCommandLine({"--detect=5"}).detect_seconds, 5);
  for (const char* bad : {"--detect=", "--detect=0", "--detect=86401", "--detect=5s", "--detect=-1"}) {
    EXPECT_FALSE(ParseCommandLine({bad}).error.empty()) << bad;
  }
  const std::string help = OptionsHelp();
  for (const char* named : {"--timestamps=date", "--log-max=", "--detect"}) {
    EXPECT_NE(help.find(named), std::string::npos) << named;
  }
}

// --list: one line per port, the device and what is behind it after tabs, as
// scripts read it; Linux names the path, Windows the system's device name.
TEST(PortListing, OneLinePerPortWithTheDeviceAndWhatIsBehindIt) {
  const std::vector<PresentPort> ports = {
      {3, "/dev/ttyUSB0", "FTDI FT232R USB UART, Seriennummer A5"},
      {5, "\\Device\\Serial0", ""},
      {7, "/dev/ttyUSB1", "nicht angeschlossen"},
  };
  EXPECT_EQ(PortListing(ports),
            "COM3\t/dev/ttyUSB0\tFTDI FT232R USB UART, Seriennummer A5\n"
            "COM5\t\\Device\\Serial0\n"
            "COM7\t/dev/ttyUSB1\tnicht angeschlossen\n");
  EXPECT_EQ(PortListing(std::vector<PresentPort>{}), "Keine Schnittstelle gefunden.\n");
}

}  // namespace
}  // namespace tapix
