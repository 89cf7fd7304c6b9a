// End-to-end harness: the real tapix program on one end of a pty pair, the
// test on the other. The test writes bytes as the peer, reads what tapix
// answers, feeds console commands and watches the log on standard output.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "pty_pair.h"

namespace tapix::e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A pty pair: the test keeps the master, tapix opens the slave path, set raw
// so the peer's bytes pass unchanged whatever tapix does to the line.
class PtyPair : public testing::PtyPair {
 public:
  PtyPair() {
    const int slave = ::open(SlavePath().c_str(), O_RDWR | O_NOCTTY);
    termios t;
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::close(slave);
  }
  const std::string& path() const { return SlavePath(); }
  int fd() const { return Master(); }
  void Close() { CloseMaster(); }
  // Reads until `count` bytes came or `wait` passed.
  std::string Receive(std::size_t count, milliseconds wait = milliseconds(3000)) const {
    return ReadFor(Master(), count, static_cast<int>(wait.count()));
  }
  // Whatever arrives within `wait` (to prove that nothing more came).
  std::string Drain(milliseconds wait) const { return Receive(1 << 16, wait); }
};

// A temporary settings folder, so runs never touch the user's store.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/tapix-e2e-XXXXXX";
    path_ = ::mkdtemp(pattern);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A whole file's bytes; "" when there is none.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The settings store the program keeps under `config`; "" when there is none.
inline std::string StoreText(const TempDir& config) {
  return ReadFile(config.path() + "/tapix/settings.reg");
}

// How often `text` occurs in `log` (a request cut short by its write
// time-out, " timeout (A005)", say).
inline std::size_t Occurrences(const std::string& log, const std::string& text) {
  std::size_t n = 0;
  for (std::size_t p = log.find(text); p != std::string::npos; p = log.find(text, p + 1)) ++n;
  return n;
}

// The program a TapixProcess runs: an executable and the arguments that come
// before the test's own (wine64 with the path of tapix.exe, say).
struct Program {
  std::string path;
  std::vector<std::string> leading;
};

class TapixProcess {
 public:
#ifdef TAPIX_BINARY
  // The Linux program, with its settings store under `config_home`.
  TapixProcess(std::vector<std::string> args, const std::string& config_home,
               std::vector<std::pair<std::string, std::string>> env = {})
      : TapixProcess(Program{TAPIX_BINARY, {}}, std::move(args),
                     With(std::move(env), {"XDG_CONFIG_HOME", config_home})) {}
#endif
  // Runs `program` with `args`, without a controlling terminal, display or
  // Qt platform unless `env` sets them; `env` wins over the inherited values.
  TapixProcess(const Program& program, std::vector<std::string> args,
               std::vector<std::pair<std::string, std::string>> env) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    // A command written to a program that has already ended fails with EPIPE
    // rather than ending the test program: the test's own checks then say
    // what went wrong. The program itself starts with the default.
    ::signal(SIGPIPE, SIG_IGN);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::signal(SIGPIPE, SIG_DFL);
      ::setsid();  // no controlling terminal: the echo is dropped
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::dup2(out[1], 2);
      ::unsetenv("DISPLAY");
      ::unsetenv("WAYLAND_DISPLAY");
      ::unsetenv("QT_QPA_PLATFORM");
      // The tests compare the program's code page 1252 bytes, which a locale
      // other than UTF-8 writes unchanged; a test of the UTF-8 output sets
      // LC_ALL itself.
      ::setenv("LC_ALL", "C", 1);
      for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
      std::vector<std::string> words{program.path};
      words.insert(words.end(), program.leading.begin(), program.leading.end());
      words.insert(words.end(), args.begin(), args.end());
      std::vector<char*> argv;
      for (auto& w : words) argv.push_back(w.data());
      argv.push_back(nullptr);
      ::execv(program.path.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    ::fcntl(stdout_, F_SETFL, O_NONBLOCK);
  }
  ~TapixProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    CloseInput();
    if (stdout_ >= 0) ::close(stdout_);
  }
  TapixProcess(const TapixProcess&) = delete;
  TapixProcess& operator=(const TapixProcess&) = delete;

  pid_t pid() const { return pid_; }

  void Command(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] ssize_t n = ::write(stdin_, text.data(), text.size());
  }
  void RawInput(const std::string& bytes) {
    [[maybe_unused]] ssize_t n = ::write(stdin_, bytes.data(), bytes.size());
  }
  void CloseInput() {
    if (stdin_ >= 0) ::close(stdin_);
    stdin_ = -1;
  }

  // The pipe the program's output arrives on, for a caller that waits on it
  // together with other descriptors; `ReadOutput` then takes what is there.
  int output() const { return stdout_; }
  // False when nothing was there or the program closed its output.
  bool ReadOutput() {
    char buffer[65536];
    const ssize_t n = ::read(stdout_, buffer, sizeof buffer);
    if (n > 0) log_.append(buffer, static_cast<std::size_t>(n));
    return n > 0;
  }
  // Room for `bytes` of output, so that a long run's log is not copied to
  // a larger buffer while the caller is in the middle of something.
  void ReserveLog(std::size_t bytes) { log_.reserve(bytes); }
  // Everything logged so far.
  const std::string& Log() {
    Pump(milliseconds(0));
    return log_;
  }
  // Waits until the log holds `text` after position `from`; returns the
  // position after it, or npos on time-out.
  std::size_t WaitFor(const std::string& text, std::size_t from = 0,
                      milliseconds wait = milliseconds(5000)) {
    const auto until = Clock::now() + wait;
    for (;;) {
      const std::size_t at = log_.find(text, from);
      if (at != std::string::npos) return at + text.size();
      const auto left = std::chrono::duration_cast<milliseconds>(until - Clock::now());
      if (left.count() <= 0 || !Pump(left)) {
        const std::size_t last = log_.find(text, from);
        return last == std::string::npos ? last : last + text.size();
      }
    }
  }
  // Waits for the program to end; returns its exit status or -1.
  int Wait(milliseconds wait = milliseconds(5000)) {
    const auto until = Clock::now() + wait;
    while (Clock::now() < until) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        Pump(milliseconds(0));
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      Pump(milliseconds(20));
    }
    return -1;
  }
  // How often the program's main thread was switched out (voluntarily or
  // not): a loop that keeps waking shows here even where its CPU time is
  // small (under Wine each wait is a call to the wineserver) or the machine
  // is too busy to give it much.
  long ContextSwitches() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    long total = 0;
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
          line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
        total += std::stol(line.substr(line.find(':') + 1));
    }
    return total;
  }
  // CPU seconds the process has used (user + system).
  double CpuSeconds() const {
    const std::string path = "/proc/" + std::to_string(pid_) + "/stat";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return -1;
    char buffer[1024] = {};
    std::size_t n = std::fread(buffer, 1, sizeof buffer - 1, f);
    std::fclose(f);
    std::string stat(buffer, n);
    std::size_t pos = stat.rfind(')');
    if (pos == std::string::npos) return -1;
    // Fields after the command: state is field 3; utime and stime are 14 and 15.
    std::vector<std::string> fields;
    std::size_t i = pos + 2;
    while (i < stat.size()) {
      std::size_t j = stat.find(' ', i);
      fields.push_back(stat.substr(i, j - i));
      if (j == std::string::npos) break;
      i = j + 1;
    }
    if (fields.size() < 13) return -1;
    const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    return (std::stod(fields[11]) + std::stod(fields[12])) / ticks;
  }

 private:
  static std::vector<std::pair<std::string, std::string>> With(
      std::vector<std::pair<std::string, std::string>> env, std::pair<std::string, std::string> first) {
    env.insert(env.begin(), std::move(first));
    return env;
  }
  // Reads what tapix printed, waiting up to `wait` for the first bytes.
  bool Pump(milliseconds wait) {
    pollfd p{stdout_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return wait.count() == 0;
    bool any = false;
    while (ReadOutput()) any = true;
    return any;  // false: the program closed its output
  }

  pid_t pid_ = -1;
  bool exited_ = false;
  int stdin_ = -1;
  int stdout_ = -1;
  std::string log_;
};

}  // namespace tapix::e2e
