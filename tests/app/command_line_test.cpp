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
