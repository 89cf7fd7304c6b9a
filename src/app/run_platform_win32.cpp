// Start-up and shutdown pieces of the Windows build: port n is COMn, there is
// no virtual line, and the settings live in the registry below
// HKEY_LOCAL_MACHINE, or the user's own key when the machine's refuses the
// write.
#include <string>

#include "app/session.h"
#include "app/run_platform.h"
#include "app/settings_io.h"

#include <windows.h>

namespace tapix {

struct RunPlatform::State {};

bool VirtualLineSupported() { return false; }

const char* PortFieldHelp() { return "  nCom            Portnummer n von COMn, z.B. 3,9600,E,8,1\n"; }

const char* StopRequestsHelp() {
  return "  0  normales Ende (Beenden, quit, Strg+C, Strg+Pause, Konsole geschlossen)\n";
}

RunPlatform::RunPlatform(Console& console, std::string_view key_name, std::string_view base_path)
    : console_(console), key_name_(key_name), base_path_(base_path) {}

RunPlatform::~RunPlatform() = default;

namespace {
HWND g_console_window = nullptr;
}  // namespace

void LoadPortNumbers(std::string_view, std::string_view) {}

std::uintptr_t ConsoleWindow() { return reinterpret_cast<std::uintptr_t>(g_console_window); }

// The console window is the one GetConsoleWindow names: since Windows 7 the
// console's window belongs to the console host's process, so a search of the
// top-level windows of this process would not find it.
void RunPlatform::MarkConsoleWindow() {
  g_console_window = ::GetConsoleWindow();
  if (g_console_window == nullptr) return;
  HINSTANCE module = ::GetModuleHandleA(nullptr);
  const auto load = [module](int x_metric, int y_metric) {
    return ::LoadImageA(module, MAKEINTRESOURCEA(103), IMAGE_ICON, ::GetSystemMetrics(x_metric),
                        ::GetSystemMetrics(y_metric), 0);
  };
  if (HANDLE big = load(SM_CXICON, SM_CYICON))
    ::SendMessageA(g_console_window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  if (HANDLE small = load(SM_CXSMICON, SM_CYSMICON))
    ::SendMessageA(g_console_window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void RunPlatform::Load(PortSettings& settings) {
  LoadFromMachineAndUser(settings, key_name_, base_path_);
}

bool RunPlatform::ApplyDevicePath(PortSettings&, const std::string&, ArgumentTrace&) {
  return false;  // the port field is always a number
}

bool RunPlatform::StartVirtualLine(const std::string&, Session&, std::uint32_t) {
  // The command line refuses --pty here; nothing reaches this.
  console_.Log("Virtuelle Leitung gibt es nur unter Linux.\n");
  return false;
}

std::uint32_t RunPlatform::VirtualPort() const { return 0; }

void RunPlatform::Save(const PortSettings& settings) {
  SaveToMachineOrUser(settings, key_name_, base_path_);
}

}  // namespace tapix
