#include "settings/settings_io.h"

#include "settings/registry_key.h"

namespace tapix {

void LoadFromRegistry(PortSettings& settings, std::string_view key_name,
                      std::string_view base_path) {
  RegistryKey key;
  std::uint32_t baud = settings.dcb.BaudRate;
  if (key.CreatePath(base_path, key_name, KEY_READ) != ERROR_SUCCESS) return;

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
  RegistryKey key;
  if (long err = key.CreatePath(base_path, key_name, KEY_ALL_ACCESS)) return err;

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

}  // namespace tapix
