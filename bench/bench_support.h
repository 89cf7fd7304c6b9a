// What the benchmarks share: a running program on a fresh pty pair, exact CPU
// time from the scheduler, and the median and worst of a set of samples.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fault_support.h"

namespace tapix::bench {

using fault::Clock;
using fault::PtyPair;
using fault::TapixProcess;
using fault::TempDir;
using std::chrono::microseconds;
using std::chrono::milliseconds;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU seconds of all threads of a process, from the scheduler's nanosecond
// count (the tick count in /proc/<pid>/stat is too coarse for an idle
// program). Falls back to the tick count.
inline double CpuSeconds(TapixProcess& tapix) {
  const std::string tasks = "/proc/" + std::to_string(tapix.pid()) + "/task";
  DIR* dir = ::opendir(tasks.c_str());
  if (!dir) return tapix.CpuSeconds();
  double total = 0;
  bool any = false;
  while (const dirent* e = ::readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    FILE* f = std::fopen((tasks + "/" + e->d_name + "/schedstat").c_str(), "r");
    if (!f) continue;
    unsigned long long ns = 0;
    if (std::fscanf(f, "%llu", &ns) == 1) {
      total += static_cast<double>(ns) / 1e9;
      any = true;
    }
    std::fclose(f);
  }
  ::closedir(dir);
  return any ? total : tapix.CpuSeconds();
}

class Samples {
 public:
  void Add(double v) { values_.push_back(v); }
  void Add(const Samples& other) { values_.insert(values_.end(), other.values_.begin(), other.values_.end()); }
  bool Empty() const { return values_.empty(); }
  std::size_t Count() const { return values_.size(); }
  double Median() const {
    if (values_.empty()) return 0;
    std::vector<double> v = values_;
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
  }
  double Max() const { return values_.empty() ? 0 : *std::max_element(values_.begin(), values_.end()); }
  double Min() const { return values_.empty() ? 0 : *std::min_element(values_.begin(), values_.end()); }

 private:
  std::vector<double> values_;
};

// The program on one end of a fresh pty pair, console only or with the
// window, with its own settings folder. `argument` replaces the line
// argument ("" = the pty).
struct Instance {
  explicit Instance(const std::vector<std::string>& options = {}, std::string argument = "",
                    bool window = false) {
    std::vector<std::string> args;
    if (!window) args.push_back("--no-window");
    args.push_back(argument.empty() ? pty.path() + ",9600,N,8,1" : argument);
    // The window without a display: Qt's offscreen platform.
    std::vector<std::pair<std::string, std::string>> env;
    if (window) env.emplace_back("QT_QPA_PLATFORM", "offscreen");
    const Clock::time_point start = Clock::now();
    tapix = std::make_unique<TapixProcess>(args, config.path(), env);
    const std::size_t opened = tapix->WaitFor("CreateFile (COM", 0, milliseconds(20000));
    ready = opened != std::string::npos &&
            tapix->WaitFor("\n", opened) != std::string::npos;
    startup_seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (const std::string& o : options) tapix->Command(o);
    if (ready) ready = fault::Sync(*tapix) != std::string::npos;
  }
  ~Instance() {
    tapix->Command("quit");
    tapix->Wait(milliseconds(5000));
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  TempDir config;
  PtyPair pty;
  std::unique_ptr<TapixProcess> tapix;
  bool ready = false;
  double startup_seconds = 0;  // from the start of the process to the open port's line
};

}  // namespace tapix::bench
