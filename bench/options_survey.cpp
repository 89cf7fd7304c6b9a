// What a survey of the options costs: the recent bytes replayed through the
// framer under all eight combinations. The hint surveys its three windows of
// 1 KiB at most once a second; --detect its windows of 32 KiB.
#include <algorithm>
#include <chrono>
#include <string>
#include <tuple>
#include <vector>

#include "figures.h"
#include "protocol/messages.h"
#include "protocol/options_replay.h"

namespace tapix::bench {
namespace {

using Clock = std::chrono::steady_clock;

// A window filled with messages of every kind that has fields, as a sender
// with Checksum on writes them, 30 ms apart.
ByteWindow Filled(std::size_t capacity) {
  ByteWindow window(capacity);
  OptionFlags sender;
  sender.Checksum = 1;
  auto now = Clock::time_point{};
  for (std::uint32_t i = 0; window.Size() + kLongestMessage < capacity; ++i) {
    for (const MessageSpec& message : kMessages) {
      if (message.Fields().empty()) continue;
      window.Add(Compose(message, {i, 7 * i, 3 * i}, sender, true), now);
      now += std::chrono::milliseconds(30);
    }
  }
  return window;
}

// Seconds per survey of `windows`: the median and the worst of `runs`.
std::pair<double, double> Time(const std::vector<const ByteWindow*>& windows, int runs) {
  std::vector<double> took;
  std::size_t sink = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    const Survey survey = SurveyWindows(windows, Clock::time_point{} + std::chrono::hours(1));
    took.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    sink += survey[1].messages;
  }
  std::sort(took.begin(), took.end());
  if (sink == 0) return {-1, -1};  // nothing read: the figure would be meaningless
  return {took[took.size() / 2], took.back()};
}

}  // namespace

void OptionsSurvey(const Plan& plan, Table& table) {
  const int runs = std::max(plan.runs * 10, 10);
  const ByteWindow hint = Filled(1024);
  const std::vector<const ByteWindow*> hints = {&hint, &hint, &hint};
  auto [median, worst] = Time(hints, runs);
  table.push_back({"options survey, hint (3 x 1 KiB)", Micros(median), Micros(worst),
                   "at most once a second while faults come"});
  const ByteWindow detect = Filled(32 * 1024);
  const std::vector<const ByteWindow*> detects = {&detect, &detect};
  std::tie(median, worst) = Time(detects, runs);
  table.push_back({"options survey, --detect (2 x 32 KiB)", Micros(median), Micros(worst),
                   "once a second while bytes come"});
}

}  // namespace tapix::bench
