// The settings file as the program reads it from disk: any bytes, a file past
// the size limit, and odd things in its place (a folder, a FIFO, a link to a
// file elsewhere, a link to itself). The load takes only values inside their
// ranges and says what it has to say in printable lines; a file it could not
// parse is copied aside whole before anything replaces it; the save that
// follows either leaves the file as it was or writes one that the next run
// reads back to the same settings.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "app/settings_io.h"
#include "fuzz_folder.h"
#include "serial/port_map.h"
#include "settings/file_store.h"
#include "settings/store_format.h"
#include "settings/store_notices.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kKeyName = "Ventrix Test";
constexpr const char* kBasePath = "SOFTWARE\\TRESOL";

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void CheckNotices() {
  for (const std::string& line : tapix::TakeStoreNotices()) {
    if (line.empty() || line.back() != '\n') std::abort();
    for (std::size_t i = 0; i + 1 < line.size(); ++i)
      if (static_cast<unsigned char>(line[i]) < 0x20) std::abort();
  }
}

tapix::PortSettings Load() {
  tapix::PortSettings settings;
  tapix::SetDefaults(settings);
  tapix::LoadFromRegistry(settings, kKeyName, kBasePath);
  tapix::PortMap map;
  tapix::LoadPortMap(map, kKeyName, kBasePath);
  for (const auto& [port, path] : map.Explicit())
    if (port < 1 || port > 255 || path.empty()) std::abort();
  return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string& dir = tapix::fuzz::FuzzFolder();
  const std::string folder = dir + "/tapix";
  const std::string path = folder + "/settings.reg";
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const int kind = data[0] % 6;
  switch (kind) {
    case 0:
      Write(path, bytes);
      break;
    case 1:  // past the size limit: the bytes, then a hole
      Write(path, bytes);
      fs::resize_file(path, tapix::kMaxStoreBytes + 1 + bytes.size());
      break;
    case 2:
      ::mkfifo(path.c_str(), 0600);
      break;
    case 3:
      fs::create_directory(path);
      break;
    case 4:
      Write(folder + "/elsewhere.reg", bytes);
      fs::create_symlink("elsewhere.reg", path);
      break;
    default:
      fs::create_symlink("settings.reg", path);
      break;
  }
  const std::string before = kind == 0 || kind == 4 ? Read(path) : std::string();

  tapix::FileStore store(path);
  tapix::SetRegistry(&store);
  tapix::PortSettings settings = Load();
  CheckNotices();
  if (!tapix::IsTableBaud(settings.dcb.BaudRate) || settings.Autoconnect > 1) std::abort();
  tapix::RegistryTree tree;
  const bool broken = kind == 0 && !tapix::ParseStore(bytes, tree);
  if (broken && Read(path + ".broken") != bytes) std::abort();

  settings.port = 7;
  settings.dcb.BaudRate = 4800;
  const long saved = tapix::SaveToRegistry(settings, kKeyName, kBasePath);
  CheckNotices();
  tapix::SetRegistry(nullptr);
  if (saved != tapix::ERROR_SUCCESS) {
    if ((kind == 0 || kind == 4) && Read(path) != before) std::abort();
    return 0;
  }
  tapix::FileStore next_run(path);
  tapix::SetRegistry(&next_run);
  const tapix::PortSettings again = Load();
  CheckNotices();
  tapix::SetRegistry(nullptr);
  if (again.port != 7 || again.dcb.BaudRate != 4800 || again.dcb.ByteSize != settings.dcb.ByteSize ||
      again.dcb.Parity != settings.dcb.Parity || again.dcb.StopBits != settings.dcb.StopBits ||
      again.Autoconnect != settings.Autoconnect) {
    std::abort();
  }
  if (kind == 4 && !fs::is_symlink(path)) std::abort();  // the link stays
  return 0;
}
