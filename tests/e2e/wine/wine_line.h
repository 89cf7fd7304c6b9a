// The Windows program under Wine on a COM port whose other end the test
// plays. Needs the Wine environment of scripts/wine-env (WINEPREFIX, DISPLAY
// and a running wineserver): scripts/test-windows runs these tests.
//
// A COM port is Wine's link dosdevices/comN to the slave of a pty pair; the
// test keeps the master and one slave descriptor (set raw before the program
// starts, so the line never hangs up and every byte value passes).
#pragma once

#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tapix_process.h"

namespace tapix::wine {

using e2e::milliseconds;
using e2e::Program;
using e2e::TapixProcess;

inline std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

inline std::string Prefix() { return EnvOr("WINEPREFIX", ""); }
inline std::string Wine64() { return EnvOr("WINE64", "/usr/lib/wine/wine64"); }

// The environment every Wine call of the run shares.
inline std::vector<std::pair<std::string, std::string>> WineEnvironment() {
  return {{"DISPLAY", EnvOr("DISPLAY", "")}};
}

// tapix.exe (TAPIX_EXE overrides the build's).
inline Program Tapix() { return {Wine64(), {EnvOr("TAPIX_EXE", TAPIX_EXE)}}; }
// The program of known behaviour that checks the environment itself.
inline Program ComEcho() { return {Wine64(), {EnvOr("TAPIX_COM_ECHO", TAPIX_COM_ECHO)}}; }

// Fails the test unless scripts/wine-env has made the environment.
#define TAPIX_NEED_WINE()                                                                   \
  do {                                                                                      \
    if (::tapix::wine::Prefix().empty() || std::getenv("DISPLAY") == nullptr)               \
      FAIL() << "no Wine environment: run scripts/test-windows (WINEPREFIX, DISPLAY unset)"; \
  } while (0)

// A COM port of the prefix on a pty pair.
class ComPort : public e2e::PtyPair {
 public:
  explicit ComPort(unsigned number) : number_(number) {
    slave_ = ::open(path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    link_ = Prefix() + "/dosdevices/com" + std::to_string(number);
    std::error_code ec;
    std::filesystem::remove(link_, ec);
    std::filesystem::create_symlink(path(), link_, ec);
    mapped_ = !ec && slave_ >= 0 && !Prefix().empty();
  }
  ~ComPort() {
    std::error_code ec;
    std::filesystem::remove(link_, ec);
    if (slave_ >= 0) ::close(slave_);
  }
  bool Mapped() const { return mapped_; }
  unsigned number() const { return number_; }
  // The line settings the program gave the port, as the kernel holds them.
  termios Settings() const {
    termios t{};
    ::tcgetattr(slave_, &t);
    return t;
  }

 private:
  unsigned number_;
  int slave_ = -1;
  std::string link_;
  bool mapped_ = false;
};

// Runs a Wine program (reg, say) to its end; its output, "" on time-out.
inline std::string RunWine(std::vector<std::string> args, int* status = nullptr) {
  TapixProcess run(Program{Wine64(), {}}, std::move(args), WineEnvironment());
  const int code = run.Wait(milliseconds(30000));
  if (status) *status = code;
  return run.Log();
}

// The settings key, below HKEY_LOCAL_MACHINE or (for a user the machine's
// key refuses) HKEY_CURRENT_USER.
inline const char* kSettingsKey = "SOFTWARE\\TRESOL\\Ventrix Test";

// Removes the stored settings from both places: the next start is a first one.
inline void ForgetSettings() {
  for (const char* root : {"HKLM\\", "HKCU\\"})
    RunWine({"reg", "delete", std::string(root) + kSettingsKey, "/f"});
}

// The values stored below HKEY_LOCAL_MACHINE, as `reg query` lists them.
inline std::string StoredSettings() {
  return RunWine({"reg", "query", std::string("HKLM\\") + kSettingsKey});
}

}  // namespace tapix::wine
