// The system's text for an error code, as the failure line prints it.
#include <gtest/gtest.h>

#include <string>

#include "platform/last_error.h"

namespace tapix {
namespace {

TEST(ErrorText, AKnownCodeGivesItsTextEndingInOneLineEnd) {
  for (int code : {2, 5, 87}) {
    SetLastErrorCode(code);
    std::string text;
    EXPECT_EQ(GetLastErrorText(text), code);
    ASSERT_GE(text.size(), 2u) << code;
    EXPECT_EQ(text.back(), '\n') << code;
    EXPECT_NE(text[text.size() - 2], '\n') << code;
    EXPECT_EQ(text.find('\r'), std::string::npos) << "standard output is binary: " << code;
  }
}

TEST(ErrorText, ACodeWithoutTextGivesAnEmptyText) {
  SetLastErrorCode(0x3FFF1234);
  std::string text = "stale";
  EXPECT_EQ(GetLastErrorText(text), 0x3FFF1234);
  EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace tapix
