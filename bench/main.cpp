// tapix_bench: runs the real program over pty pairs and prints one table of
// figures, each the median and the worst over several runs.
//
//   tapix_bench [--quick] [--runs N] [--only latency|rate|idle|options]
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "figures.h"

namespace tapix::bench {

std::string Micros(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f us", seconds * 1e6);
  return text;
}

std::string Fixed(double value, int decimals, const char* unit) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f%s", decimals, value, unit);
  return text;
}

namespace {

std::string CpuModel() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  return "unknown CPU";
}

void Print(const Table& table) {
  std::printf("%-52s %12s %12s  %s\n", "figure", "median", "worst", "");
  std::printf("%s\n", std::string(110, '-').c_str());
  for (const Row& r : table)
    std::printf("%-52s %12s %12s  %s\n", r.figure.c_str(), r.median.c_str(), r.worst.c_str(), r.note.c_str());
}

int Usage() {
  std::fprintf(stderr, "usage: tapix_bench [--quick] [--runs N] [--only latency|rate|idle|options]\n");
  return 2;
}

}  // namespace
}  // namespace tapix::bench

int main(int argc, char** argv) {
  using namespace tapix::bench;
  Plan plan;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--quick") {
      plan.runs = 1;
      plan.samples = 50;
      plan.rate_seconds = 1;
      plan.idle_seconds = 2;
    } else if (a == "--runs" && i + 1 < argc) {
      plan.runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--only" && i + 1 < argc) {
      only = argv[++i];
    } else {
      return Usage();
    }
  }
  utsname u{};
  ::uname(&u);
  std::printf("tapix_bench: %s, %ld cores, %s %s; program %s\n", CpuModel().c_str(), ::sysconf(_SC_NPROCESSORS_ONLN),
              u.sysname, u.release, TAPIX_BINARY);
  std::printf("Latencies in microseconds; 'worst' is the highest latency or CPU share, the lowest rate.\n\n");
  std::fflush(stdout);
  Table table;
  if (only.empty() || only == "latency") {
    AnswerLatency(plan, table);
    RequestLatency(plan, table);
    TapLatency(plan, table);
  }
  if (only.empty() || only == "rate") {
    ResponderRates(plan, table);
    SustainedRate(plan, table);
    PacedRate(plan, table);
  }
  if (only.empty() || only == "idle") IdleCost(plan, table);
  if (only.empty() || only == "options") OptionsSurvey(plan, table);
  Print(table);
  return 0;
}
