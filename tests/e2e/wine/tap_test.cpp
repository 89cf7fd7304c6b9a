// tapix.exe under Wine as the line tap passes the same cases as the Linux
// program: the cash register on COM11, the dispenser on COM12, each a pty.
#include <gtest/gtest.h>

#include "tap_cases.h"
#include "wine_line.h"

namespace tapix::wine {

struct WineTap {
  std::unique_ptr<TapixProcess> Start(bool listen_only) {
    // The second port once as a number, once in the COM form.
    auto tapix = std::make_unique<TapixProcess>(
        Tapix(),
        std::vector<std::string>{"11,9600,N,8,1", listen_only ? "--tap-listen=COM12" : "--tap=12"},
        WineEnvironment());
    EXPECT_NE(tapix->WaitFor(", Schankanlage an COM12\n", 0, e2e::kTapStart), std::string::npos)
        << tapix->Log();
    return tapix;
  }
  ComPort kasse{11};
  ComPort isb{12};
};

TEST(WineTapStart, NeedsTwoDifferentPortsThatOpen) {
  TAPIX_NEED_WINE();
  ComPort kasse{11};
  TapixProcess missing(Tapix(), {"11", "--tap=98"}, WineEnvironment());
  EXPECT_EQ(missing.Wait(milliseconds(15000)), 2);
  EXPECT_NE(missing.Log().find("Mith\xF6ren braucht beide"), std::string::npos) << missing.Log();
  TapixProcess same(Tapix(), {"11", "--tap=COM11"}, WineEnvironment());
  EXPECT_EQ(same.Wait(milliseconds(15000)), 2);
  EXPECT_NE(same.Log().find("ung\xFCltig"), std::string::npos) << same.Log();
}

}  // namespace tapix::wine

namespace tapix::e2e {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, TapCases, ::tapix::wine::WineTap);
}  // namespace tapix::e2e
