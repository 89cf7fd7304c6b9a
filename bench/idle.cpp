// What the program costs while nothing happens: CPU time with a port open and
// with none, resident memory headless and with the window, and the time from
// the start of the process until the port is open.
#include <thread>

#include "bench_support.h"
#include "figures.h"

namespace tapix::bench {

void IdleCost(const Plan& plan, Table& table) {
  Samples port_cpu, none_cpu, window_cpu, port_rss, window_rss, port_start, window_start;
  bool window_built = false;
  for (int run = 0; run < plan.runs; ++run) {
    Instance port;
    Instance none({}, "/dev/tapix-bench-absent,9600,N,8,1");
    Instance window({}, "", true);
    // A build without the window runs headless: no platform plugin comes in.
    window_built = window.ready && fault::HasMapped(window.tapix->pid(), "libqoffscreen");
    if (port.ready) port_start.Add(port.startup_seconds);
    if (window_built) window_start.Add(window.startup_seconds);
    std::this_thread::sleep_for(milliseconds(1000));  // let start-up settle

    Instance* all[] = {&port, &none, &window};
    double before[3];
    for (int i = 0; i < 3; ++i) before[i] = CpuSeconds(*all[i]->tapix);
    std::this_thread::sleep_for(std::chrono::duration<double>(plan.idle_seconds));
    const double scale = 60 / plan.idle_seconds;
    if (port.ready) port_cpu.Add((CpuSeconds(*port.tapix) - before[0]) * scale);
    if (none.ready) none_cpu.Add((CpuSeconds(*none.tapix) - before[1]) * scale);
    if (window_built) window_cpu.Add((CpuSeconds(*window.tapix) - before[2]) * scale);
    if (port.ready) port_rss.Add(static_cast<double>(fault::VmRssKb(port.tapix->pid())) / 1024);
    if (window_built) window_rss.Add(static_cast<double>(fault::VmRssKb(window.tapix->pid())) / 1024);
    for (Instance* i : all) i->tapix->Log();
  }
  const std::string runs = std::to_string(plan.runs) + " runs x " + Fixed(plan.idle_seconds, 0) + " s";
  table.push_back({"idle CPU, port open: CPU s per minute", Fixed(port_cpu.Median(), 4), Fixed(port_cpu.Max(), 4), runs});
  table.push_back({"idle CPU, no port:   CPU s per minute", Fixed(none_cpu.Median(), 4), Fixed(none_cpu.Max(), 4), runs});
  if (window_built) {
    table.push_back({"idle CPU, window:    CPU s per minute", Fixed(window_cpu.Median(), 4), Fixed(window_cpu.Max(), 4),
                     runs + ", offscreen"});
  } else {
    table.push_back({"idle CPU, window:    CPU s per minute", "n/a", "n/a", "no window in this build"});
  }
  table.push_back({"start-up, headless: to the open port", Micros(port_start.Median()), Micros(port_start.Max()), ""});
  if (window_built) {
    table.push_back({"start-up, window: to the open port", Micros(window_start.Median()), Micros(window_start.Max()),
                     "offscreen platform"});
  } else {
    table.push_back({"start-up, window: to the open port", "n/a", "n/a", "no window in this build"});
  }
  table.push_back({"resident memory (VmRSS), headless", Fixed(port_rss.Median(), 1, " MiB"), Fixed(port_rss.Max(), 1, " MiB"), ""});
  if (window_built) {
    table.push_back({"resident memory (VmRSS), window", Fixed(window_rss.Median(), 1, " MiB"),
                     Fixed(window_rss.Max(), 1, " MiB"), "offscreen platform"});
  } else {
    table.push_back({"resident memory (VmRSS), window", "n/a", "n/a", "no window in this build"});
  }
}

}  // namespace tapix::bench
