// The window build as a whole program. On a real X server a click on a HOST
// button puts its request on the line: that needs Xvfb and xdotool
// (scripts/setup --all) and is skipped without them, unless
// TAPIX_REQUIRE_ALL=1 (as in CI), where a missing tool is a failure.
// TAPIX_XVFB_DISPLAY gives the first display number tried (default 140).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "tapix_process.h"

namespace tapix::e2e {
namespace {

bool Have(const char* tool) {
  const std::string command = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    ::pclose(p);
  }
  return out;
}

class VirtualScreen {
 public:
  VirtualScreen() {
    const char* first = std::getenv("TAPIX_XVFB_DISPLAY");
    const int from = first && *first ? std::atoi(first) : 140;
    for (display_ = from; display_ < from + 60; ++display_) {
      if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display_)) &&
          !std::filesystem::exists("/tmp/.X" + std::to_string(display_) + "-lock"))
        break;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 1);
      ::dup2(null, 2);
      const std::string name = Name();
      ::execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 100 && !Ready(); ++i) std::this_thread::sleep_for(milliseconds(100));
  }
  ~VirtualScreen() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  VirtualScreen(const VirtualScreen&) = delete;
  VirtualScreen& operator=(const VirtualScreen&) = delete;
  // Appended, not ":" + std::to_string(…): GCC 12 inlines that insertion at
  // the front of a temporary and warns of an overlap that cannot happen
  // (-Wrestrict, Release builds).
  std::string Name() const { return std::string(":").append(std::to_string(display_)); }
  bool Ready() const {
    return Shell("DISPLAY=" + Name() + " xdotool getdisplaygeometry 2>/dev/null").size() > 0;
  }

 private:
  int display_ = 140;
  pid_t pid_ = -1;
};

TEST(Window, AClickOnAButtonPutsItsRequestOnTheLine) {
  if (!Have("Xvfb") || !Have("xdotool")) {
    const char* required = std::getenv("TAPIX_REQUIRE_ALL");
    if (required && std::string(required) == "1") FAIL() << "Xvfb or xdotool missing (scripts/setup --all)";
    GTEST_SKIP() << "Xvfb or xdotool missing";
  }
  VirtualScreen screen;
  // A loaded machine may refuse one query while the server settles.
  bool ready = screen.Ready();
  for (int i = 0; i < 50 && !ready; ++i) {
    std::this_thread::sleep_for(milliseconds(100));
    ready = screen.Ready();
  }
  ASSERT_TRUE(ready) << "Xvfb on " << screen.Name() << " does not answer";
  TempDir config;
  PtyPair pty;
  TapixProcess tapix({pty.path() + ",9600,N,8,1"}, config.path(), {{"DISPLAY", screen.Name()}});
  ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();

  const std::string x = "DISPLAY=" + screen.Name() + " xdotool ";
  const std::string window =
      Shell(x.substr(0, x.find(' ')) + " timeout 20 xdotool search --sync --onlyvisible --name "
            "'Tapix Ventrix Test' | head -n 1");
  ASSERT_FALSE(window.empty()) << "no window";
  const std::string id = window.substr(0, window.find('\n'));
  // The log window beside it shows what the console shows.
  EXPECT_FALSE(Shell(x + "search --onlyvisible --name 'Tapix Protokoll'").empty()) << "no log window";
  std::istringstream geometry(Shell(x + "getwindowgeometry --shell " + id));
  int width = 0, height = 0;
  for (std::string line; std::getline(geometry, line);) {
    if (line.rfind("WIDTH=", 0) == 0) width = std::stoi(line.substr(6));
    if (line.rfind("HEIGHT=", 0) == 0) height = std::stoi(line.substr(7));
  }
  ASSERT_GT(width, 0);
  // The window is 234 x 307 dialog units; the waiter field of "A" stands at
  // 123,74 (24 x 12) and the button at 93,74 (15 x 14).
  auto at = [&](double dx, double dy) {
    return std::to_string(static_cast<int>(dx * width / 234)) + " " +
           std::to_string(static_cast<int>(dy * height / 307));
  };
  std::this_thread::sleep_for(milliseconds(500));
  Shell(x + "mousemove --window " + id + " " + at(135, 80) + " click 1");
  Shell(x + "type --delay 50 5");
  Shell(x + "mousemove --window " + id + " " + at(100.5, 81) + " click 1");
  EXPECT_EQ(pty.Receive(4, milliseconds(5000)), "A005");

  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0);
}

// Qt's own options (-platform, -reverse, -qwindowtitle, ...) after the first
// argument are further arguments like any other: noted and ignored.
TEST(Window, QtOptionsAmongFurtherArgumentsChangeNothing) {
  TempDir config;
  PtyPair pty;
  TapixProcess tapix({pty.path() + ",9600,N,8,1", "-platform", "xyz", "-reverse"}, config.path(),
                     {{"QT_QPA_PLATFORM", "offscreen"}});
  ASSERT_NE(tapix.WaitFor(") succeeded\n"), std::string::npos) << tapix.Log();
  const std::string log = tapix.Log();
  EXPECT_LT(log.find("'Ventrix' Test und Simulation\n"), log.find("CreateFile")) << log;
  EXPECT_NE(log.find("Argument \"-platform\" ignoriert"), std::string::npos) << log;
  EXPECT_NE(log.find("Argument \"xyz\" ignoriert"), std::string::npos) << log;
  pty.Send("A005");
  EXPECT_EQ(pty.Receive(1), "R");
  tapix.Command("quit");
  EXPECT_EQ(tapix.Wait(), 0) << tapix.Log();
}

}  // namespace
}  // namespace tapix::e2e
