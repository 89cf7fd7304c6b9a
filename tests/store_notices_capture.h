// The settings store's notices as one text, for tests that check what the
// operator is told.
#pragma once

#include <string>

#include "settings/store_notices.h"

namespace tapix::testing {

class NoticeCapture {
 public:
  NoticeCapture() { TakeStoreNotices(); }  // none left over from earlier tests
  ~NoticeCapture() { TakeStoreNotices(); }
  // Every notice so far, in order.
  const std::string& Text() {
    for (const std::string& line : TakeStoreNotices()) text_ += line;
    return text_;
  }
  void Clear() {
    Text();
    text_.clear();
  }

 private:
  std::string text_;
};

}  // namespace tapix::testing
