// The last error and its text on Linux: errno's codes and strerror's texts,
// kept per thread like GetLastError.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#include "platform/last_error.h"

namespace tapix {
namespace {

TEST(LastError, TextEndsWithALineEndAndUnknownCodesHaveNone) {
  std::string text;
  SetLastErrorCode(EACCES);
  EXPECT_EQ(GetLastErrorText(text), EACCES);
  EXPECT_EQ(text, std::string(std::strerror(EACCES)) + "\n");
  SetLastErrorCode(123456);
  EXPECT_EQ(GetLastErrorText(text), 123456);
  EXPECT_EQ(text, "");
}

TEST(LastError, IsKeptPerThread) {
  SetLastErrorCode(EBUSY);
  std::thread other([] {
    EXPECT_EQ(GetLastErrorCode(), 0);
    SetLastErrorCode(ENOENT);
  });
  other.join();
  EXPECT_EQ(GetLastErrorCode(), EBUSY);
}

}  // namespace
}  // namespace tapix
