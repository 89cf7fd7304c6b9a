// Sustained traffic: a mix of messages back to back as fast as the program
// takes them, and paced at the byte rate of a real line, with the answers and
// log lines counted so that nothing goes missing unnoticed.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "bench_support.h"
#include "figures.h"

namespace tapix::bench {
namespace {

// Every message with fields is answered "R"; "E" gets the nine-digit
// all-zero record. Options: the program's defaults.
const std::vector<std::string> kMix = {"A005",     "B012",     "C000",   "W0051", "T0050121", "K0123",
                                       "S0123",    "Q0050123", "q0050123", "@01207", "E"};
constexpr std::size_t kRecordBytes = 9;

struct Traffic {
  std::size_t sent = 0;      // messages written completely
  std::size_t answered = 0;  // answers read back ("R", or a whole record)
  std::size_t logged = 0;    // message lines in the log
  double seconds = 0;        // first byte sent to the last answer read
  double cpu = 0;            // CPU seconds of the program while sending
  double wall = 0;           // seconds of sending
  std::size_t bytes = 0;
};

// Drives the line for `seconds`. `bytes_per_second` 0 sends back to back;
// otherwise each byte goes out when the line would have carried it, so the
// program sees the bytes of a message arrive one by one as from a UART.
Traffic Drive(Instance& line, double seconds, double bytes_per_second) {
  Traffic t;
  const int fd = line.pty.fd();
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  const std::size_t log_from = line.tapix->Log().size();

  // The run's bytes are the mix over and over: byte i is cycle[i % size].
  // `block` holds whole cycles beyond the longest write, so that a write
  // never waits for the stream to be made: a pause inside a message longer
  // than the line's interval time-out would cut it, as on a real line.
  constexpr std::size_t kLongestWrite = 8192;
  std::string cycle;
  std::vector<std::size_t> cycle_ends;  // where each message of a cycle ends
  for (const std::string& message : kMix) {
    cycle += message;
    cycle_ends.push_back(cycle.size());
  }
  std::string block;
  while (block.size() < kLongestWrite + cycle.size()) block += cycle;
  // Messages that end at or before byte `at`; where the message under way
  // at `at` ends (`at` itself between two).
  const auto whole = [&](std::size_t at) {
    const std::size_t in = at % cycle.size();
    return at / cycle.size() * kMix.size() +
           static_cast<std::size_t>(std::upper_bound(cycle_ends.begin(), cycle_ends.end(), in) - cycle_ends.begin());
  };
  const auto message_end = [&](std::size_t at) {
    const std::size_t in = at % cycle.size();
    if (in == 0) return at;
    return at - in + *std::lower_bound(cycle_ends.begin(), cycle_ends.end(), in);
  };
  std::size_t written = 0, allowed = 0, r_count = 0, zeros = 0;
  // The log of millions of messages: its room is made before the clock starts.
  line.tapix->ReserveLog(line.tapix->Log().size() + (std::size_t{1} << 27));
  const auto start = Clock::now();
  const auto stop = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  const double cpu0 = CpuSeconds(*line.tapix);
  auto last_answer = start;
  auto quiet_since = start;
  bool sending = true;

  for (;;) {
    const auto now = Clock::now();
    timespec wait{0, 5'000'000};
    if (sending && now < stop) {
      if (bytes_per_second <= 0) {
        allowed = written + kLongestWrite;
      } else {
        const double due = bytes_per_second * Seconds(now - start);
        allowed = static_cast<std::size_t>(due);
        const double next_due = (static_cast<double>(allowed + 1) - due) / bytes_per_second;
        wait = {0, static_cast<long>(std::min(next_due, 0.005) * 1e9)};
      }
    } else if (sending) {
      // Time is up: finish the message under way, then stop.
      allowed = message_end(written);
      if (written == allowed) {
        sending = false;
        t.cpu = CpuSeconds(*line.tapix) - cpu0;
        t.wall = Seconds(now - start);
        quiet_since = now;
      }
    }
    const bool to_write = written < allowed;
    pollfd p{fd, static_cast<short>(POLLIN | (to_write ? POLLOUT : 0)), 0};
    ::ppoll(&p, 1, to_write ? nullptr : &wait, nullptr);
    if (p.revents & POLLIN) {
      char buffer[4096];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == 'R') ++r_count;
        if (buffer[i] == '0') ++zeros;
      }
      if (n > 0) last_answer = quiet_since = Clock::now();
    }
    if (to_write && (p.revents & POLLOUT)) {
      const ssize_t n = ::write(fd, block.data() + written % cycle.size(),
                                std::min(allowed - written, kLongestWrite));
      if (n > 0) written += static_cast<std::size_t>(n);
      t.sent = whole(written);
    }
    line.tapix->Log();
    t.answered = r_count + zeros / kRecordBytes;
    if (!sending && (t.answered >= t.sent || Clock::now() - quiet_since > milliseconds(3000))) break;
  }
  t.bytes = written;
  ::fcntl(fd, F_SETFL, flags);
  t.seconds = Seconds(last_answer - start);
  // Every log line after the start is a received message or an "R" answer.
  // The program answers the messages of a read before it logs them, so the
  // last lines may still be on their way when the last answer is in.
  const auto count_logged = [&line, log_from] {
    const std::string& log = line.tapix->Log();
    std::size_t lines = 0, r_lines = 0;
    for (std::size_t p = log_from; p < log.size();) {
      const std::size_t end = log.find('\n', p);
      if (end == std::string::npos) break;
      ++lines;
      if (end - p == 1 && log[p] == 'R') ++r_lines;
      p = end + 1;
    }
    return lines - std::min(lines, r_lines);
  };
  const auto give_up = Clock::now() + milliseconds(3000);
  while ((t.logged = count_logged()) < t.sent && Clock::now() < give_up) ::usleep(5000);
  return t;
}

std::size_t Lost(const Traffic& t) { return t.sent - std::min({t.sent, t.answered, t.logged}); }

std::string LostNote(std::size_t lost) {
  return lost ? "LOST " + std::to_string(lost) + " messages!" : "lost 0 (answers and log lines)";
}

}  // namespace

void SustainedRate(const Plan& plan, Table& table) {
  Samples rate, bytes;
  std::size_t lost = 0;
  for (int run = 0; run < plan.runs; ++run) {
    Instance line;
    if (!line.ready) continue;
    const Traffic t = Drive(line, plan.rate_seconds, 0);
    rate.Add(static_cast<double>(t.answered) / t.seconds);
    bytes.Add(static_cast<double>(t.bytes) / t.seconds);
    lost += Lost(t);
  }
  table.push_back({"sustained, back to back: messages/s", Fixed(rate.Median(), 0), Fixed(rate.Min(), 0),
                   LostNote(lost)});
  table.push_back({"                       = line bytes/s", Fixed(bytes.Median(), 0), Fixed(bytes.Min(), 0),
                   "= " + Fixed(bytes.Median() * 11 / 1000, 0) + " kBd at 11 bits a character"});
}

void PacedRate(const Plan& plan, Table& table) {
  for (const int baud : {9600, 115200}) {
    const double bytes_per_second = baud / 11.0;
    Samples share, rate;
    std::size_t lost = 0;
    for (int run = 0; run < plan.runs; ++run) {
      Instance line;
      if (!line.ready) continue;
      const Traffic t = Drive(line, plan.rate_seconds, bytes_per_second);
      share.Add(t.cpu / t.wall);
      rate.Add(static_cast<double>(t.sent) / t.wall);
      lost += Lost(t);
    }
    const std::string name = "paced " + std::to_string(baud) + " Bd (" + Fixed(bytes_per_second, 0) + " B/s, " +
                             Fixed(rate.Median(), 0) + " msg/s)";
    table.push_back({name + ": CPU s per line s", Fixed(share.Median(), 4), Fixed(share.Max(), 4),
                     "headroom x" + Fixed(1 / std::max(share.Max(), 1e-6), 0) + " (worst); " + LostNote(lost)});
  }
}

}  // namespace tapix::bench
