// The program's words (split at zero bytes): options with and without their
// values (--log, --pty, --tap, --script, ...), a first argument that may name a device
// path, further arguments. Every word is an option, the line argument or a
// further argument; an accepted command line breaks none of the rules between
// options; the first argument, read as start-up reads it (a device path
// numbered by the port map), gives settings inside the grammar and a note of
// one printable line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_platform.h"
#include "app/startup.h"
#include "fake_console.h"
#include "serial/port_map.h"
#include "serial/port_settings.h"

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The words the parser must know when it reports no error.
bool KnownOption(std::string_view word) {
  for (const char* name : {"--help", "--version", "--list", "--timestamps", "--raw", "--tap-listen",
                           "--no-window", "--headless", "--pty", "--explain", "--hex", "--autoconnect",
                           "--no-autoconnect", "--timestamps=date", "--detect"}) {
    if (word == name) return true;
  }
  for (const char* prefix : {"--log=", "--tap=", "--tap-listen=", "--pty=", "--trace=", "--script=",
                             "--report=", "--log-max=", "--detect="}) {
    if (StartsWith(word, prefix) && word.size() > std::string_view(prefix).size()) return true;
  }
  return false;
}

void CheckNote(const std::string& note) {
  if (note.size() > 400) std::abort();
  for (std::size_t i = 0; i < note.size(); ++i) {
    const auto byte = static_cast<unsigned char>(note[i]);
    if (byte < 0x20 && !(byte == '\n' && i + 1 == note.size())) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words;
  for (std::size_t start = 0; start <= input.size();) {
    std::size_t end = input.find('\0', start);
    if (end == std::string_view::npos) end = input.size();
    words.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }
  if (words.size() > 64) return 0;

  const tapix::StartOptions options = tapix::ParseCommandLine(words);
  std::size_t positional = 0;
  for (const std::string& word : words) {
    if (StartsWith(word, "--")) {
      if (options.error.empty() && !KnownOption(word)) std::abort();
    } else {
      ++positional;
    }
  }
  if ((options.line_argument ? 1u : 0u) + options.further_arguments.size() != positional) std::abort();
  if (options.line_argument && StartsWith(*options.line_argument, "--")) std::abort();
  if (options.error.empty()) {
    if (options.tap_listen && options.tap_port.empty()) std::abort();
    if (!options.tap_port.empty() && options.virtual_line) std::abort();
    // The last of --autoconnect and --no-autoconnect counts.
    std::optional<bool> autoconnect;
    for (const std::string& word : words)
      if (word == "--autoconnect" || word == "--no-autoconnect") autoconnect = word == "--autoconnect";
    if (options.autoconnect != autoconnect) std::abort();
    if (options.virtual_line != false && !tapix::VirtualLineSupported()) std::abort();
    // A size limit is a size, and only for a log file.
    if (options.log_max != 0 && (options.log_max < 1024 || options.log_path.empty())) std::abort();
    if (options.timestamps_date && !options.timestamps) std::abort();
    // A diagnosis runs for a day at most, on the console.
    if (options.detect_seconds < 0 || options.detect_seconds > 86400) std::abort();
    if (options.detect_seconds != 0 && !options.no_window) std::abort();
    // A scenario: headless, on its own line (no tap), the only one a report is for.
    if (!options.report_path.empty() && options.script_path.empty()) std::abort();
    if (!options.script_path.empty() && (!options.tap_port.empty() || !options.no_window))
      std::abort();
  }
  if (options.error.size() > 4096 + size) std::abort();

  if (!options.line_argument) return 0;
  // The first argument as start-up applies it: a device path gets a number
  // from the port map (a run entry, taken back here), the rest the grammar.
  const std::string& argument = *options.line_argument;
  tapix::testing::NullConsole console;
  tapix::RunPlatform platform(console, "Ventrix Test", "SOFTWARE\\TRESOL");
  tapix::PortSettings settings;
  tapix::SetDefaults(settings);
  tapix::ArgumentTrace trace;
  const bool path = platform.ApplyDevicePath(settings, argument, trace);
  if (!path) tapix::ParseArgument(settings, argument, &trace);
  if (trace.read > argument.size()) std::abort();
  CheckNote(tapix::DescribeArgument(argument, settings, trace));
  if (!tapix::IsTableBaud(settings.dcb.BaudRate)) std::abort();
  if (settings.dcb.ByteSize < 5 || settings.dcb.ByteSize > 8) std::abort();
  if (settings.dcb.Parity > 4 || settings.dcb.StopBits > 2) std::abort();
  if (path) {
    const std::string device = argument.substr(0, argument.find(','));
    if (settings.port == 0 || !tapix::SameDevice(tapix::ProcessPortMap().DevicePath(settings.port), device))
      std::abort();
    tapix::ProcessPortMap().RemoveRunEntry(settings.port);
  } else if (settings.port > 999) {
    std::abort();
  }
  return 0;
}
