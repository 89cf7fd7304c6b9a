// The port settings and the port map between runs, in the settings store.
//
// Start-up loads with the key name "Ventrix Test" and the base path
// "SOFTWARE\TRESOL" (below HKEY_LOCAL_MACHINE); the end of the run saves with
// the same two texts.
#pragma once

#include <string_view>

#include "serial/port_map.h"
#include "serial/port_settings.h"
#include "settings/registry_backend.h"

namespace tapix {

// Reads "Port", "Baud", "Bits", "Parity", "StopBits" and "Autoconnect" into
// settings. A missing key changes nothing; it is created empty when the
// process may write there (RegCreateKeyEx), so a first run leaves the empty
// key; a missing or unreadable value leaves its field; "Baud" is taken only
// when it is a rate of BaudTable.
void LoadFromRegistry(PortSettings& settings, std::string_view key_name,
                      std::string_view base_path);

// Writes the six values as text. Callers go on whatever happens; the result
// (0, or the first error of opening or of writing the store) is for tests.
long SaveToRegistry(const PortSettings& settings, std::string_view key_name,
                    std::string_view base_path);

// The same below another root.
void LoadFromRegistryAt(RegHandle root, PortSettings& settings, std::string_view key_name,
                        std::string_view base_path);
long SaveToRegistryAt(RegHandle root, const PortSettings& settings, std::string_view key_name,
                      std::string_view base_path);

// The store of the Windows build, for users with and without administrator
// rights. The load reads HKEY_LOCAL_MACHINE, then the user's own copy below
// HKEY_CURRENT_USER on top when there is one. The save writes
// HKEY_LOCAL_MACHINE (and the user's copy too when it exists, so that it
// never hides newer values); when HKEY_LOCAL_MACHINE refuses the write
// (ERROR_ACCESS_DENIED), the values go to HKEY_CURRENT_USER and a store
// notice says so. A save that fails altogether is a store notice
// with the error code and text, never silent. Result: 0 or the
// error that stopped the save.
void LoadFromMachineAndUser(PortSettings& settings, std::string_view key_name,
                            std::string_view base_path);
long SaveToMachineOrUser(const PortSettings& settings, std::string_view key_name,
                         std::string_view base_path);

// The explicit entries of the port map: values "COMn" = device path (text) in
// the key "Ports" below the settings key. Names that are not "COM" and a
// number from 1 to 255 without leading zeros, and values that are not
// non-empty text, are ignored (and kept in the store).
void LoadPortMap(PortMap& map, std::string_view key_name, std::string_view base_path);

// Writes the explicit entries when the map is dirty, removes stored "COMn"
// entries the map no longer has, and clears the dirty mark once all of it is
// written. Same result as SaveToRegistry.
long SavePortMap(PortMap& map, std::string_view key_name, std::string_view base_path);

}  // namespace tapix
