// The registry of the Windows build: the system's own. Error codes, value
// types and access masks have the system's values already and pass through;
// only the predefined roots are mapped, because the system's are
// sign-extended pointers on 64-bit Windows, not the 32-bit numbers the store
// code uses.
#include <string>

#include "settings/registry_backend.h"

namespace tapix {
namespace {
// Taken before <windows.h>, whose macros have these names.
constexpr RegHandle kClassesRoot = HKEY_CLASSES_ROOT;
constexpr RegHandle kCurrentUser = HKEY_CURRENT_USER;
constexpr RegHandle kLocalMachine = HKEY_LOCAL_MACHINE;
constexpr RegHandle kUsers = HKEY_USERS;
constexpr RegHandle kCurrentConfig = HKEY_CURRENT_CONFIG;
}  // namespace
}  // namespace tapix

#include <windows.h>

namespace tapix {
namespace {

HKEY ToSystem(RegHandle key) {
  switch (key) {
    case kClassesRoot:
      return HKEY_CLASSES_ROOT;
    case kCurrentUser:
      return HKEY_CURRENT_USER;
    case kLocalMachine:
      return HKEY_LOCAL_MACHINE;
    case kUsers:
      return HKEY_USERS;
    case kCurrentConfig:
      return HKEY_CURRENT_CONFIG;
    default:
      return reinterpret_cast<HKEY>(key);
  }
}

RegHandle FromSystem(HKEY key) { return reinterpret_cast<RegHandle>(key); }

class SystemRegistry final : public RegistryBackend {
 public:
  long CreateKey(RegHandle root, std::string_view subkey, std::uint32_t access,
                 RegHandle* key) override {
    const std::string path(subkey);
    HKEY opened = nullptr;
    DWORD disposition = 0;
    const LONG err = ::RegCreateKeyExA(ToSystem(root), path.c_str(), 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, access, nullptr, &opened,
                                       &disposition);
    if (err == ERROR_SUCCESS) *key = FromSystem(opened);
    return err;
  }

  long OpenKey(RegHandle root, std::string_view subkey, std::uint32_t access,
               RegHandle* key) override {
    const std::string path(subkey);
    HKEY opened = nullptr;
    const LONG err = ::RegOpenKeyExA(ToSystem(root), path.c_str(), 0, access, &opened);
    if (err == ERROR_SUCCESS) *key = FromSystem(opened);
    return err;
  }

  long CloseKey(RegHandle key) override { return ::RegCloseKey(ToSystem(key)); }

  long QueryValue(RegHandle key, const char* name, std::uint32_t* type, std::uint8_t* data,
                  std::uint32_t* size) override {
    DWORD system_type = 0;
    DWORD system_size = size != nullptr ? *size : 0;
    const LONG err = ::RegQueryValueExA(ToSystem(key), name, nullptr, &system_type, data,
                                        size != nullptr ? &system_size : nullptr);
    if (type != nullptr) *type = system_type;
    if (size != nullptr) *size = system_size;
    return err;
  }

  long SetValue(RegHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return ::RegSetValueExA(ToSystem(key), name, 0, type, data, size);
  }

  long DeleteValue(RegHandle key, const char* name) override {
    return ::RegDeleteValueA(ToSystem(key), name);
  }

  long EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* name_size,
                 std::uint32_t* type, std::uint8_t* data, std::uint32_t* data_size) override {
    DWORD system_name_size = *name_size;
    DWORD system_type = 0;
    DWORD system_data_size = data_size != nullptr ? *data_size : 0;
    const LONG err =
        ::RegEnumValueA(ToSystem(key), index, name, &system_name_size, nullptr, &system_type,
                        data, data_size != nullptr ? &system_data_size : nullptr);
    *name_size = system_name_size;
    if (type != nullptr) *type = system_type;
    if (data_size != nullptr) *data_size = system_data_size;
    return err;
  }
};

}  // namespace

RegistryBackend& PlatformRegistry() {
  static SystemRegistry registry;
  return registry;
}

}  // namespace tapix
