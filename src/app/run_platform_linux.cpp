// Start-up and shutdown pieces of the Linux build: device paths in the port
// field, the port map beside the settings, and the virtual line.
#include <memory>
#include <string>

#include "app/session.h"
#include "app/run_platform.h"
#include "serial/port.h"
#include "serial/port_map.h"
#include "serial/present_ports.h"
#include "serial/virtual_line.h"
#include "app/settings_io.h"

namespace tapix {

struct RunPlatform::State {
  std::unique_ptr<VirtualLine> line;
};

bool VirtualLineSupported() { return true; }

const char* PortFieldHelp() {
  return "  nCom            Portnummer (COMn) oder Ger\xE4tepfad, z.B. /dev/ttyUSB0,9600,N,8,1\n";
}

const char* StopRequestsHelp() { return "  0  normales Ende (Beenden, quit, Strg+C, SIGTERM)\n"; }

RunPlatform::RunPlatform(Console& console, std::string_view key_name, std::string_view base_path)
    : state_(std::make_unique<State>()), console_(console), key_name_(key_name),
      base_path_(base_path) {}

RunPlatform::~RunPlatform() = default;

void LoadPortNumbers(std::string_view key_name, std::string_view base_path) {
  LoadPortMap(ProcessPortMap(), key_name, base_path);
  ProcessPortMap().ForgetVanished();
  RefreshPresentPorts();
}

std::uintptr_t ConsoleWindow() { return 0; }

void RunPlatform::MarkConsoleWindow() {}

void RunPlatform::Load(PortSettings& settings) {
  LoadFromRegistry(settings, key_name_, base_path_);
  LoadPortNumbers(key_name_, base_path_);
}

// The port field may name a device: "/dev/ttyUSB0,9600,N,8,1". The path gets
// its number from the port map, and the rest is parsed as usual.
bool RunPlatform::ApplyDevicePath(PortSettings& settings, const std::string& argument,
                                  ArgumentTrace& trace) {
  if (argument.empty() || argument[0] != '/') return false;
  const std::size_t comma = argument.find(',');
  const std::string path = argument.substr(0, comma);
  const std::uint32_t number = ProcessPortMap().NumberFor(path);
  const std::string rest = comma == std::string::npos ? std::string() : argument.substr(comma);
  // A stand-in digit for the path, so the parse reads the fields after it.
  ParseArgument(settings, "0" + rest, &trace);
  settings.port = number;
  trace.read = trace.read - 1 + path.size();
  return true;
}

bool RunPlatform::StartVirtualLine(const std::string& link, Session& session,
                                   std::uint32_t kept_port) {
  state_->line = std::make_unique<VirtualLine>();
  VirtualLine& line = *state_->line;
  if (!line.Create(link) || line.Register(ProcessPortMap(), kept_port) == 0) {
    // Asked for a virtual line: never fall back to a real device.
    if (!line.BusyLinkTarget().empty()) {
      // The link is another run's way in: taking it would cut that run off.
      Logf(console_,
           "Virtuelle Leitung nicht angelegt: %s zeigt auf %s, die virtuelle Leitung eines "
           "anderen Laufs\n",
           link.c_str(), line.BusyLinkTarget().c_str());
    } else {
      std::string text;
      const int code = GetLastErrorText(text);
      Logf(console_, "Virtuelle Leitung nicht angelegt: Fehler %d - %s", code, text.c_str());
    }
    console_.Log("Ende: keine Schnittstelle ge\xF6" "ffnet.\n");
    return false;
  }
  session.settings.port = line.Port();
  Logf(console_, "Virtuelle Leitung auf COM%u, Gegenstelle: %s\n", session.settings.port,
       line.SlavePath().c_str());
  if (!line.LinkPath().empty())
    Logf(console_, "Link f\xFCr die Gegenstelle: %s\n", line.LinkPath().c_str());
  return true;
}

std::uint32_t RunPlatform::VirtualPort() const { return state_->line ? state_->line->Port() : 0; }

void RunPlatform::Save(const PortSettings& settings) {
  state_->line.reset();
  SaveToRegistry(settings, key_name_, base_path_);
  SavePortMap(ProcessPortMap(), key_name_, base_path_);
}

}  // namespace tapix
