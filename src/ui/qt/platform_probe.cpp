#include "ui/qt/platform_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>

#include <chrono>
#include <cstdio>

#include "app/exit_codes.h"
#include "platform/retry_eintr.h"

namespace tapix {
namespace {

// What the child says is kept up to this many bytes.
constexpr std::size_t kWhyLimit = 2048;

[[noreturn]] void ProbeInChild(int out) {
  // An abort here is the answer, not a fault: no core file for it.
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null >= 0) {
    ::dup2(null, 0);
    ::dup2(null, 1);
  }
  ::dup2(out, 2);
  char name[] = "tapix";
  char* argv[] = {name, nullptr};
  int argc = 1;
  QApplication app(argc, argv);
  const bool screen = QGuiApplication::primaryScreen() != nullptr;
  if (!screen) std::fputs("Qt: kein Bildschirm\n", stderr);
  std::fflush(stderr);
  ::_exit(screen ? 0 : 3);
}

// Reads the child's messages until it closes them or `timeout_ms` passed;
// false on time-out.
bool ReadUntilClosed(int fd, std::string& text, int timeout_ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (RetryEintr([&] { return ::poll(&p, 1, static_cast<int>(left.count())); }) <= 0) return false;
    char buffer[512];
    const ssize_t n = RetryEintr([&] { return ::read(fd, buffer, sizeof buffer); });
    if (n <= 0) return true;
    if (text.size() < kWhyLimit) text.append(buffer, static_cast<std::size_t>(n));
  }
}

QtMessageHandler g_previous_handler = nullptr;

void EndOnFatal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (g_previous_handler) g_previous_handler(type, context, message);
    return;
  }
  const QByteArray text = message.toLocal8Bit();
  std::fprintf(stderr, "tapix: Qt: %s\ntapix: Ende, das Fenster kann nicht weiter\n", text.constData());
  std::fflush(stderr);
  ::_exit(kExitBadStart);
}

}  // namespace

bool QtPlatformStarts(std::string& why, int timeout_ms) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return true;
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(out[0]);
    ::close(out[1]);
    return true;
  }
  if (child == 0) ProbeInChild(out[1]);
  ::close(out[1]);
  std::string said;
  const bool answered = ReadUntilClosed(out[0], said, timeout_ms);
  ::close(out[0]);
  if (!answered) ::kill(child, SIGKILL);
  int status = 0;
  RetryEintr([&] { return ::waitpid(child, &status, 0); });
  const bool starts = answered && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!starts) why = answered ? said : said + "Qt: keine Antwort\n";
  return starts;
}

void EndFatalQtMessagesWithTwo() {
  QtMessageHandler previous = qInstallMessageHandler(EndOnFatal);
  if (previous != EndOnFatal) g_previous_handler = previous;
}

}  // namespace tapix
