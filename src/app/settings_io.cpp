#include "app/settings_io.h"

#include <string>

#include "serial/port.h"
#include "settings/registry_key.h"
#include "settings/store_notices.h"

namespace tapix {

void LoadFromRegistry(PortSettings& settings, std::string_view key_name,
                      std::string_view base_path) {
  LoadFromRegistryAt(HKEY_LOCAL_MACHINE, settings, key_name, base_path);
}

void LoadFromRegistryAt(RegHandle root, PortSettings& settings, std::string_view key_name,
                        std::string_view base_path) {
  RegistryKey key;
  std::uint32_t baud = settings.dcb.BaudRate;
  // Opened as RegCreateKeyEx opens it: a missing key is made (empty) where
  // this process may write, on every platform; the values come with the
  // first save. Where it may not, the load reads nothing and says nothing.
  if (key.CreatePath(root, base_path, key_name, KEY_READ) != ERROR_SUCCESS) return;

  // Each value on its own: one that is missing or unreadable leaves its field.
  key.ReadWord("Port", settings.port);
  key.ReadLong("Baud", baud);
  if (IsTableBaud(baud)) settings.dcb.BaudRate = baud;
  key.ReadByte("Bits", settings.dcb.ByteSize);
  key.ReadByte("Parity", settings.dcb.Parity);
  key.ReadByte("StopBits", settings.dcb.StopBits);
  key.ReadFlag("Autoconnect", settings.Autoconnect, settings.Autoconnect);
  key.Close();
}

long SaveToRegistry(const PortSettings& settings, std::string_view key_name,
                    std::string_view base_path) {
  return SaveToRegistryAt(HKEY_LOCAL_MACHINE, settings, key_name, base_path);
}

long SaveToRegistryAt(RegHandle root, const PortSettings& settings, std::string_view key_name,
                      std::string_view base_path) {
  RegistryKey key;
  if (long err = key.CreatePath(root, base_path, key_name, KEY_ALL_ACCESS)) return err;

  // Errors of single writes do not stop the others.
  long first_error = ERROR_SUCCESS;
  auto note = [&first_error](long err) {
    if (first_error == ERROR_SUCCESS) first_error = err;
  };
  note(key.WriteWord("Port", settings.port));
  note(key.WriteLong("Baud", settings.dcb.BaudRate));
  note(key.WriteByte("Bits", settings.dcb.ByteSize));
  note(key.WriteByte("Parity", settings.dcb.Parity));
  note(key.WriteByte("StopBits", settings.dcb.StopBits));
  note(key.WriteFlag("Autoconnect", settings.Autoconnect));
  // On the file store the values reach the disk here.
  note(key.Close());
  return first_error;
}

namespace {

// True when the key exists below root (it is not created here).
bool KeyExists(RegHandle root, std::string_view key_name, std::string_view base_path) {
  std::string path(base_path);
  path += '\\';
  path += key_name;
  RegHandle key = 0;
  if (Registry().OpenKey(root, path, KEY_READ, &key) != ERROR_SUCCESS) return false;
  Registry().CloseKey(key);
  return true;
}

void ReportSaveError(long err) {
  std::string text;
  SetLastErrorCode(static_cast<int>(err));
  GetLastErrorText(text);
  // The system's text brings its own line end; an unknown code has none.
  AddStoreNoticef("Einstellungen nicht gespeichert: Fehler %ld - %s%s", err, text.c_str(),
       text.empty() ? "\n" : "");
}

}  // namespace

void LoadFromMachineAndUser(PortSettings& settings, std::string_view key_name,
                            std::string_view base_path) {
  LoadFromRegistryAt(HKEY_LOCAL_MACHINE, settings, key_name, base_path);
  // Without the key below HKEY_CURRENT_USER the load changes nothing (and
  // creates nothing there: the user's key is made only by a save that needs
  // it).
  if (KeyExists(HKEY_CURRENT_USER, key_name, base_path))
    LoadFromRegistryAt(HKEY_CURRENT_USER, settings, key_name, base_path);
}

long SaveToMachineOrUser(const PortSettings& settings, std::string_view key_name,
                         std::string_view base_path) {
  const long machine = SaveToRegistryAt(HKEY_LOCAL_MACHINE, settings, key_name, base_path);
  if (machine == ERROR_SUCCESS) {
    // A copy the user's key already holds must not hide these at the next
    // load: it gets the same values.
    if (KeyExists(HKEY_CURRENT_USER, key_name, base_path))
      return SaveToRegistryAt(HKEY_CURRENT_USER, settings, key_name, base_path);
    return ERROR_SUCCESS;
  }
  if (machine != ERROR_ACCESS_DENIED) {
    ReportSaveError(machine);
    return machine;
  }
  const long user = SaveToRegistryAt(HKEY_CURRENT_USER, settings, key_name, base_path);
  if (user != ERROR_SUCCESS) {
    ReportSaveError(user);
    return user;
  }
  AddStoreNotice("Einstellungen unter HKEY_CURRENT_USER gespeichert (HKEY_LOCAL_MACHINE: kein "
                 "Schreibrecht)\n");
  return ERROR_SUCCESS;
}

}  // namespace tapix
