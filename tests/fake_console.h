// Test doubles for the console: one that records what was logged and
// echoed, one that keeps nothing.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "log/console.h"

namespace tapix::testing {

// A console that keeps nothing (for long runs such as fuzzing).
class NullConsole final : public Console {
 public:
  void Log(std::string_view) override {}
  void Echo(char) override {}
};

class CaptureConsole final : public Console {
 public:
  void Log(std::string_view text) override {
    log_.append(text);
    all_.append(text);
  }
  void Echo(char byte) override {
    echo_.push_back(byte);
    all_.push_back(byte);
  }
  void Sent(std::string_view bytes, std::string_view prefix) override {
    sent_.append(prefix).append(bytes).push_back('\n');
  }
  std::string log_;   // standard output
  std::string echo_;  // the direct console
  std::string all_;   // both, in order
  std::string sent_;  // each write to the line as a line, after its prefix
};

}  // namespace tapix::testing
