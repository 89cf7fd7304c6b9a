// The registry as the settings store sees it: keys by path below a root,
// typed values, and Win32 error codes as results.
//
// The interface is the subset of the Win32 registry calls the program uses.
// Each platform has one implementation: the real registry on Windows
// (registry_backend_win32.cpp), the file store (file_store.h) on Linux
// (registry_backend_linux.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tapix {

// A key handle: one of the predefined roots below, or a key opened by
// CreateKey/OpenKey. 0 stands for no key.
using RegHandle = std::uintptr_t;

inline constexpr RegHandle HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr RegHandle HKEY_CURRENT_USER = 0x80000001u;
inline constexpr RegHandle HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr RegHandle HKEY_USERS = 0x80000003u;
inline constexpr RegHandle HKEY_CURRENT_CONFIG = 0x80000005u;

// Win32 error codes the registry calls return.
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_PATH_NOT_FOUND = 3;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr long ERROR_INVALID_PARAMETER = 87;
inline constexpr long ERROR_BUFFER_OVERFLOW = 111;
inline constexpr long ERROR_DISK_FULL = 112;
inline constexpr long ERROR_BAD_PATHNAME = 161;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr long ERROR_NO_MORE_ITEMS = 259;
inline constexpr long ERROR_CANTREAD = 1012;
inline constexpr long ERROR_CANTWRITE = 1013;
inline constexpr long ERROR_REGISTRY_CORRUPT = 1015;

// Value types.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

// Access rights.
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// Longest key path a caller builds (MAX_PATH, the terminating zero included).
inline constexpr std::size_t kMaxKeyPath = 260;

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;

  // RegCreateKeyExA: opens the key below root (a predefined root or an open
  // key), creating it and the keys on the way when missing.
  virtual long CreateKey(RegHandle root, std::string_view subkey, std::uint32_t access,
                         RegHandle* key) = 0;
  // RegOpenKeyExA: opens an existing key; ERROR_FILE_NOT_FOUND when missing.
  virtual long OpenKey(RegHandle root, std::string_view subkey, std::uint32_t access,
                       RegHandle* key) = 0;
  // RegCloseKey. On the file store this is where changes reach the disk.
  virtual long CloseKey(RegHandle key) = 0;

  // RegQueryValueExA. name null or "" is the key's default value. type and
  // data may be null. *size is the buffer's size in and the data's size out;
  // a buffer too small gives ERROR_MORE_DATA, the needed size in *size and an
  // untouched buffer.
  virtual long QueryValue(RegHandle key, const char* name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) = 0;
  // RegSetValueExA: stores exactly size bytes of data.
  virtual long SetValue(RegHandle key, const char* name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) = 0;
  // RegDeleteValueA.
  virtual long DeleteValue(RegHandle key, const char* name) = 0;
  // RegEnumValueA: the value at index, ERROR_NO_MORE_ITEMS past the last one.
  // *name_size is the name buffer's size in characters (with the zero) in and
  // the name's length without the zero out; a name or data that does not fit
  // gives ERROR_MORE_DATA.
  virtual long EnumValue(RegHandle key, std::uint32_t index, char* name,
                         std::uint32_t* name_size, std::uint32_t* type, std::uint8_t* data,
                         std::uint32_t* data_size) = 0;
};

// The registry of this process: the platform's own unless a test has put
// another one in its place.
RegistryBackend& Registry();
// Replaces the registry for the calls that follow; null restores the
// platform's own.
void SetRegistry(RegistryBackend* backend);

// The platform's own registry (one per platform file).
RegistryBackend& PlatformRegistry();

}  // namespace tapix
