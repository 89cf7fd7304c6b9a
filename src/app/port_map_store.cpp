// The port map's explicit entries in the settings store (declared in
// settings_io.h). Kept apart from the port settings so that a program that
// only loads and saves PortSettings does not need the port map.
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "settings/registry_key.h"
#include "app/settings_io.h"

namespace tapix {

namespace {

constexpr std::string_view kPortsKey = "Ports";
constexpr std::uint32_t kHighestPort = 255;
// Longest value name and device path taken from the store.
constexpr std::uint32_t kNameBuffer = 256;
constexpr std::uint32_t kPathBuffer = 4096;

// n of a value name "COMn" (any case), n from 1 to 255 without leading zeros.
std::optional<std::uint32_t> PortOfName(std::string_view name) {
  if (name.size() < 4 || name.size() > 6) return std::nullopt;
  for (std::size_t i = 0; i < 3; ++i) {
    const char c = static_cast<char>(name[i] & ~0x20);  // ASCII upper case
    if (c != "COM"[i]) return std::nullopt;
  }
  std::uint32_t port = 0;
  for (std::size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return std::nullopt;
    port = port * 10 + static_cast<std::uint32_t>(name[i] - '0');
  }
  if (name[3] == '0' || port < 1 || port > kHighestPort) return std::nullopt;
  return port;
}

std::string PortsBase(std::string_view key_name, std::string_view base_path) {
  std::string base(base_path);
  base += '\\';
  base += key_name;
  return base;
}

struct StoredEntry {
  std::string name;
  std::uint32_t port;
  std::uint32_t type;
  std::string text;  // up to the first zero
};

// An entry the port map takes: non-empty text.
bool Taken(const StoredEntry& entry) { return entry.type == REG_SZ && !entry.text.empty(); }

// The values of the open key whose names are "COMn"; values too long for the
// buffers are passed over.
std::vector<StoredEntry> StoredEntries(RegHandle key) {
  std::vector<StoredEntry> entries;
  std::vector<char> name(kNameBuffer);
  std::vector<std::uint8_t> data(kPathBuffer);
  for (std::uint32_t index = 0;; ++index) {
    std::uint32_t name_size = kNameBuffer;
    std::uint32_t data_size = kPathBuffer;
    std::uint32_t type = 0;
    const long err =
        Registry().EnumValue(key, index, name.data(), &name_size, &type, data.data(), &data_size);
    if (err == ERROR_MORE_DATA) continue;
    if (err != ERROR_SUCCESS) break;
    const std::string value_name(name.data(), name_size);
    const auto port = PortOfName(value_name);
    if (!port) continue;
    std::string text(reinterpret_cast<const char*>(data.data()), data_size);
    text = text.substr(0, text.find('\0'));
    entries.push_back(StoredEntry{value_name, *port, type, std::move(text)});
  }
  return entries;
}

}  // namespace

void LoadPortMap(PortMap& map, std::string_view key_name, std::string_view base_path) {
  RegistryKey key;
  // Opened, not created: a load writes nothing.
  if (key.OpenPath(HKEY_LOCAL_MACHINE, PortsBase(key_name, base_path), kPortsKey, KEY_READ) !=
      ERROR_SUCCESS) {
    return;
  }
  const bool was_dirty = map.Dirty();
  for (const StoredEntry& entry : StoredEntries(key.Handle())) {
    if (!Taken(entry)) continue;
    map.SetExplicit(entry.port, entry.text);
  }
  key.Close();
  // What was just read is what the store holds.
  if (!was_dirty) map.ClearDirty();
}

long SavePortMap(PortMap& map, std::string_view key_name, std::string_view base_path) {
  if (!map.Dirty()) return ERROR_SUCCESS;
  RegistryKey key;
  if (long err = key.CreatePath(PortsBase(key_name, base_path), kPortsKey, KEY_ALL_ACCESS)) {
    return err;
  }
  long first_error = ERROR_SUCCESS;
  auto note = [&first_error](long err) {
    if (first_error == ERROR_SUCCESS) first_error = err;
  };
  const auto& wanted = map.Explicit();
  for (const StoredEntry& entry : StoredEntries(key.Handle())) {
    // Only entries a load would take; others stay as they are.
    if (!Taken(entry) || wanted.count(entry.port) != 0) continue;
    note(Registry().DeleteValue(key.Handle(), entry.name.c_str()));
  }
  for (const auto& [port, path] : wanted) {
    if (port < 1 || port > kHighestPort || path.empty()) continue;
    if (path.find('\0') != std::string::npos) continue;
    char name[16];
    std::snprintf(name, sizeof name, "COM%u", static_cast<unsigned>(port));
    note(key.SetText(path.c_str(), name));
  }
  note(key.Close());
  if (first_error == ERROR_SUCCESS) map.ClearDirty();
  return first_error;
}

}  // namespace tapix
