// The options that exist only where the platform has them.
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

}  // namespace
}  // namespace tapix
