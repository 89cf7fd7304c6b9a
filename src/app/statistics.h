// The counts of a run's traffic, for the summary at its end and the console
// command "stats": messages per kind and direction, check character errors,
// time-outs, unexpected bytes, unanswered requests and the answer times per
// kind of request (minimum, median, 95th percentile, maximum).
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <utility>

#include "app/answer_times.h"
#include "app/traffic.h"

namespace tapix {

// Answer times in bounded room however long the run: each time falls into a
// bucket 1 % wide (below 0.1 ms, one per microsecond), so a quantile is
// right to 1 %; the minimum and maximum are exact.
class TimeSpread {
 public:
  void Add(std::chrono::microseconds value);
  std::size_t Count() const { return count_; }
  std::chrono::microseconds Min() const { return min_; }
  std::chrono::microseconds Max() const { return max_; }
  // The q-quantile by the nearest rank (0.5: the median, 0.95: the 95th
  // percentile); 0 while empty.
  std::chrono::microseconds Quantile(double q) const;

 private:
  std::map<int, std::size_t> buckets_;  // bucket, times in it
  std::size_t count_ = 0;
  std::chrono::microseconds min_{0};
  std::chrono::microseconds max_{0};
};

class Statistics final : public TrafficObserver {
 public:
  // `answers` counts the unanswered requests (the session's).
  explicit Statistics(const AnswerTimes& answers) : answers_(answers) {}

  void OnTraffic(const TrafficEvent& event) override;

  // The summary (code page 1252, each line ending in a line feed); with
  // `at_end` the requests still waiting count as unanswered.
  std::string Summary(bool at_end) const;

 private:
  // Direction, then the kind's row (its index in the message table).
  using Key = std::pair<int, int>;
  std::map<Key, std::size_t> messages_;
  std::map<Key, TimeSpread> answer_times_;  // by the request's
  std::size_t check_errors_ = 0;
  std::size_t timeouts_ = 0;
  std::size_t unexpected_bytes_ = 0;
  std::size_t unforwarded_bytes_ = 0;  // shown only when there were any
  const AnswerTimes& answers_;
};

}  // namespace tapix
