// tapix.exe under Wine passes the same diagnosis cases as the Linux
// program: the line on COM13, the tap between COM11 and COM12.
#include <gtest/gtest.h>

#include "explain_cases.h"
#include "wine_line.h"

namespace tapix::wine {

// A program under Wine may take seconds to start on a busy machine.
inline constexpr milliseconds kStart{15000};

struct WineDiagnosis {
  std::unique_ptr<TapixProcess> Start(std::vector<std::string> extra) {
    extra.insert(extra.begin(), "--no-window");
    extra.push_back("13,9600,N,8,1");
    auto tapix = std::make_unique<TapixProcess>(Tapix(), extra, WineEnvironment());
    EXPECT_NE(tapix->WaitFor(") succeeded\n", 0, kStart), std::string::npos) << tapix->Log();
    return tapix;
  }
  std::unique_ptr<TapixProcess> StartTap(std::vector<std::string> extra) {
    extra.insert(extra.begin(), {"11,9600,N,8,1", "--tap=12"});
    auto tapix = std::make_unique<TapixProcess>(Tapix(), extra, WineEnvironment());
    EXPECT_NE(tapix->WaitFor(", Schankanlage an COM12\n", 0, kStart), std::string::npos)
        << tapix->Log();
    return tapix;
  }
  static std::string Path(const std::string& local) { return "Z:" + local; }

  e2e::TempDir files;
  ComPort line{13};
  ComPort kasse{11};
  ComPort isb{12};
};

}  // namespace tapix::wine

namespace tapix::e2e {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, ExplainCases, ::tapix::wine::WineDiagnosis);
}  // namespace tapix::e2e
