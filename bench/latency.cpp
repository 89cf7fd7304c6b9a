// Answer latency (the peer's last byte written to the first byte of the
// answer read), request latency (a console command written to the first
// byte on the line) and the tap's forwarding latency (a byte written on one
// side to the byte read on the other).
#include <poll.h>
#include <unistd.h>

#include "bench_support.h"
#include "figures.h"

namespace tapix::bench {
namespace {

// Reads `count` bytes from the line; `first` and `last` get the time of the
// first and the last byte. False on time-out.
bool ReadTimed(int fd, std::size_t count, Clock::time_point* first, Clock::time_point* last,
               TapixProcess* tapix) {
  std::size_t got = 0;
  const auto until = Clock::now() + milliseconds(3000);
  while (got < count) {
    pollfd p{fd, POLLIN, 0};
    const int left = static_cast<int>(std::chrono::duration_cast<milliseconds>(until - Clock::now()).count());
    if (left <= 0 || ::poll(&p, 1, left) <= 0) return false;
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got));
    if (n <= 0) return false;
    const auto now = Clock::now();
    if (got == 0) *first = now;
    got += static_cast<std::size_t>(n);
    *last = now;
  }
  if (tapix) tapix->Log();  // keep the log pipe drained
  return true;
}

void Write(int fd, const std::string& bytes) {
  [[maybe_unused]] ssize_t n = ::write(fd, bytes.data(), bytes.size());
}

struct Answered {
  Samples first, last;
  Samples run_medians;  // of the first byte, one per run
  int lost = 0;
};

// Sends `message` as the peer, `samples` times per run, and times the
// `answer_bytes` that come back.
Answered TimeAnswers(const Plan& plan, const std::vector<std::string>& options, const std::string& message,
                     std::size_t answer_bytes) {
  Answered result;
  for (int run = 0; run < plan.runs; ++run) {
    Instance line(options);
    if (!line.ready) {
      result.lost += plan.samples;
      continue;
    }
    const int fd = line.pty.fd();
    Samples this_run;
    for (int i = -20; i < plan.samples; ++i) {  // the first 20 warm up
      Clock::time_point first, last;
      // From the write call that puts the last byte on the line: taken
      // after it, the answer can be in before the call returns.
      const auto sent = Clock::now();
      Write(fd, message);
      if (!ReadTimed(fd, answer_bytes, &first, &last, line.tapix.get())) {
        ++result.lost;
        line.pty.Drain(milliseconds(300));
        continue;
      }
      if (i >= 0) {
        this_run.Add(Seconds(first - sent));
        result.last.Add(Seconds(last - sent));
      }
      ::usleep(2000);
    }
    result.first.Add(this_run);
    result.run_medians.Add(this_run.Median());
  }
  return result;
}

// The runs and the spread of their medians: the figures move with where the
// scheduler puts the two processes, and this shows by how much.
std::string Note(const Plan& plan, const Samples& run_medians, int lost) {
  std::string note = std::to_string(plan.runs) + " runs x " + std::to_string(plan.samples);
  if (run_medians.Count() > 1)
    note += ", run medians " + Fixed(run_medians.Min() * 1e6, 0) + "-" + Micros(run_medians.Max());
  if (lost) note += "; " + std::to_string(lost) + " WITHOUT ANSWER";
  return note;
}

// The same exchange with a trivial responder in place of the program: a
// child that answers every four bytes with "R". What the pty and the
// scheduler cost on this machine, whatever the program does.
Answered Baseline(const Plan& plan) {
  Answered result;
  for (int run = 0; run < plan.runs; ++run) {
    PtyPair pty;
    const pid_t child = ::fork();
    if (child == 0) {
      const int fd = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
      char buffer[4];
      std::size_t got = 0;
      for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer - got);
        if (n <= 0) ::_exit(0);
        got += static_cast<std::size_t>(n);
        if (got == sizeof buffer) {
          got = 0;
          if (::write(fd, "R", 1) != 1) ::_exit(0);
        }
      }
    }
    ::usleep(100000);
    Samples this_run;
    for (int i = -20; i < plan.samples; ++i) {
      Clock::time_point first, last;
      const auto sent = Clock::now();
      Write(pty.fd(), "A005");
      if (!ReadTimed(pty.fd(), 1, &first, &last, nullptr)) {
        ++result.lost;
        continue;
      }
      if (i >= 0) this_run.Add(Seconds(first - sent));
      ::usleep(2000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    result.first.Add(this_run);
    result.run_medians.Add(this_run.Median());
  }
  return result;
}

}  // namespace

void AnswerLatency(const Plan& plan, Table& table) {
  const Answered base = Baseline(plan);
  table.push_back({"baseline: pty round trip, trivial responder", Micros(base.first.Median()),
                   Micros(base.first.Max()), Note(plan, base.run_medians, base.lost)});
  Answered a = TimeAnswers(plan, {}, "A005", 1);
  const double over_floor = base.first.Median() > 0 ? a.first.Median() / base.first.Median() : 0;
  table.push_back({"answer latency \"A005\" -> R", Micros(a.first.Median()), Micros(a.first.Max()),
                   "x" + Fixed(over_floor, 2) + " the baseline; " + Note(plan, a.run_medians, a.lost)});
  a = TimeAnswers(plan, {"Checksum on"}, "A005t", 1);
  table.push_back({"answer latency \"A005t\" (Checksum) -> R", Micros(a.first.Median()),
                   Micros(a.first.Max()), Note(plan, a.run_medians, a.lost)});
  a = TimeAnswers(plan, {"CreditQuantity on"}, "S00050123", 5);
  table.push_back({"answer latency \"S\" quantity 5 -> 1st R", Micros(a.first.Median()),
                   Micros(a.first.Max()), Note(plan, a.run_medians, a.lost)});
  table.push_back({"                            -> 5th R", Micros(a.last.Median()), Micros(a.last.Max()), ""});
  a = TimeAnswers(plan, {}, "E", 9);
  table.push_back({"answer latency \"E\" -> record, 1st byte", Micros(a.first.Median()),
                   Micros(a.first.Max()), Note(plan, a.run_medians, a.lost)});
  table.push_back({"                     -> record, 9th byte", Micros(a.last.Median()), Micros(a.last.Max()), ""});
}

void RequestLatency(const Plan& plan, Table& table) {
  Samples first, last, run_medians;
  int lost = 0;
  for (int run = 0; run < plan.runs; ++run) {
    Instance line;
    if (!line.ready) {
      lost += plan.samples;
      continue;
    }
    Samples this_run;
    for (int i = -20; i < plan.samples; ++i) {
      Clock::time_point f, l;
      const auto written = Clock::now();
      line.tapix->Command("A 5");
      if (!ReadTimed(line.pty.fd(), 4, &f, &l, line.tapix.get())) {
        ++lost;
        continue;
      }
      if (i >= 0) {
        this_run.Add(Seconds(f - written));
        last.Add(Seconds(l - written));
      }
      ::usleep(2000);
    }
    first.Add(this_run);
    run_medians.Add(this_run.Median());
  }
  table.push_back({"request latency \"A 5\" on stdin -> 1st byte", Micros(first.Median()), Micros(first.Max()),
                   Note(plan, run_medians, lost)});
  table.push_back({"                            -> 4th byte", Micros(last.Median()), Micros(last.Max()), ""});
}

void TapLatency(const Plan& plan, Table& table) {
  Samples to_isb, to_kasse, run_medians;
  int lost = 0;
  for (int run = 0; run < plan.runs; ++run) {
    TempDir config;
    PtyPair kasse, isb;
    TapixProcess tapix({"--no-window", kasse.path() + ",9600,N,8,1", "--tap=" + isb.path()},
                       config.path());
    if (tapix.WaitFor("Schankanlage an COM", 0, milliseconds(20000)) == std::string::npos) {
      lost += 2 * plan.samples;
      continue;
    }
    Samples this_run;
    for (int i = -20; i < plan.samples; ++i) {
      // One byte each way, a message of its own ("R") so the log stays short.
      for (const bool from_kasse : {true, false}) {
        const PtyPair& in = from_kasse ? kasse : isb;
        const PtyPair& out = from_kasse ? isb : kasse;
        Clock::time_point first, last;
        const auto sent = Clock::now();
        Write(in.fd(), "R");
        if (!ReadTimed(out.fd(), 1, &first, &last, &tapix)) {
          ++lost;
          continue;
        }
        if (i < 0) continue;
        (from_kasse ? to_isb : to_kasse).Add(Seconds(first - sent));
        this_run.Add(Seconds(first - sent));
      }
      ::usleep(2000);
    }
    run_medians.Add(this_run.Median());
    tapix.Command("quit");
    tapix.Wait(milliseconds(5000));
  }
  table.push_back({"tap forwarding, Kasse -> ISB (one byte)", Micros(to_isb.Median()),
                   Micros(to_isb.Max()), Note(plan, run_medians, lost)});
  table.push_back({"                ISB -> Kasse", Micros(to_kasse.Median()), Micros(to_kasse.Max()),
                   ""});
}

}  // namespace tapix::bench
