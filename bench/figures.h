// The figures the benchmark prints, one function per group.
#pragma once

#include <string>
#include <vector>

namespace tapix::bench {

// How long and how often each figure is measured.
struct Plan {
  int runs = 3;                // fresh program per run
  int samples = 200;           // latency samples per run
  double rate_seconds = 5;     // back-to-back and paced traffic per run
  double idle_seconds = 10;    // idle measurement per run
};

struct Row {
  std::string figure;
  std::string median;
  std::string worst;
  std::string note;
};
using Table = std::vector<Row>;

std::string Micros(double seconds);
std::string Fixed(double value, int decimals, const char* unit = "");

void AnswerLatency(const Plan& plan, Table& table);
void RequestLatency(const Plan& plan, Table& table);
void TapLatency(const Plan& plan, Table& table);
void SustainedRate(const Plan& plan, Table& table);
void ResponderRates(const Plan& plan, Table& table);
void PacedRate(const Plan& plan, Table& table);
void IdleCost(const Plan& plan, Table& table);
void OptionsSurvey(const Plan& plan, Table& table);

}  // namespace tapix::bench
