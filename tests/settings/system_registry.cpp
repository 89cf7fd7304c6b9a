#include "system_registry.h"

#include <windows.h>

namespace tapix::testing {
namespace {

HKEY Root(SystemRoot root) {
  return root == SystemRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

}  // namespace

std::optional<std::string> SystemText(SystemRoot root, const std::string& path,
                                      const std::string& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(Root(root), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return std::nullopt;
  char data[1024];
  DWORD size = sizeof data;
  DWORD type = 0;
  const LONG err = ::RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &size);
  ::RegCloseKey(key);
  if (err != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  std::string text(data, size);
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

void SystemDeleteTree(SystemRoot root, const std::string& path) {
  ::RegDeleteTreeA(Root(root), path.c_str());
  ::RegDeleteKeyA(Root(root), path.c_str());
}

}  // namespace tapix::testing
