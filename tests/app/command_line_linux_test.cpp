// The program's own options as Linux has them (with the virtual line).
#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"

namespace tapix {
namespace {

TEST(CommandLine, OptionsAndTheFirstArgument) {
  StartOptions o = ParseCommandLine({"--no-window", "0,4800", "3,9600", "--pty=/tmp/x"});
  EXPECT_TRUE(o.no_window);
  EXPECT_TRUE(o.virtual_line);
  EXPECT_EQ(o.virtual_link, "/tmp/x");
  ASSERT_TRUE(o.line_argument);
  EXPECT_EQ(*o.line_argument, "0,4800");
  EXPECT_TRUE(o.error.empty());
  EXPECT_FALSE(ParseCommandLine({}).line_argument);
  EXPECT_FALSE(ParseCommandLine({"--bogus"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--pty="}).error.empty());
  EXPECT_TRUE(ParseCommandLine({"--pty"}).virtual_link.empty());
}

TEST(CommandLine, TechnicianOptions) {
  StartOptions o = ParseCommandLine(
      {"/dev/ttyUSB0", "--log=/tmp/a b.log", "--timestamps", "--raw", "--tap=/dev/ttyUSB1"});
  EXPECT_TRUE(o.error.empty()) << o.error;
  EXPECT_EQ(o.log_path, "/tmp/a b.log");
  EXPECT_TRUE(o.timestamps && o.raw);
  EXPECT_EQ(o.tap_port, "/dev/ttyUSB1");
  EXPECT_FALSE(o.tap_listen);
  o = ParseCommandLine({"1", "--tap-listen=2"});
  EXPECT_TRUE(o.tap_listen);
  EXPECT_EQ(o.tap_port, "2");
  EXPECT_TRUE(ParseCommandLine({"--version", "--list"}).show_version);
  // Values that are missing or do not fit together are refused, not guessed.
  EXPECT_FALSE(ParseCommandLine({"--log="}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--log"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--tap="}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"1", "--tap-listen"}).error.empty());
  EXPECT_FALSE(ParseCommandLine({"--pty", "--tap=2"}).error.empty());
}

}  // namespace
}  // namespace tapix
