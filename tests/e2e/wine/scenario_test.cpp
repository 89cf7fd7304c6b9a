// tapix.exe under Wine plays the same scenarios as the Linux program.
#include <gtest/gtest.h>

#include "scenario_cases.h"
#include "wine_line.h"

namespace tapix::wine {

// tapix.exe on COM13 (the line, settings and tap tests use 1, 9, 10, 11 and
// 12). A file of this machine is the same path under Wine: its drive Z: is
// the root folder.
struct WineScenario {
  explicit WineScenario(std::vector<std::string> options)
      : tapix(Tapix(), WithLine(std::move(options)), WineEnvironment()) {}
  static std::string FileArg(const std::string& path) { return path; }
  static std::vector<std::string> WithLine(std::vector<std::string> options) {
    options.push_back("13,9600,N,8,1");
    return options;
  }
  ComPort pty{13};
  TapixProcess tapix;
};

}  // namespace tapix::wine

namespace tapix::e2e {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, Scenarios, ::tapix::wine::WineScenario);
}  // namespace tapix::e2e
