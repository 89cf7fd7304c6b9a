// The system's registry seen directly through the Win32 calls, beside the
// program's backend, to check what the backend really wrote. Kept apart
// because <windows.h> and registry_backend.h name the same constants.
#pragma once

#include <optional>
#include <string>

namespace tapix::testing {

enum class SystemRoot { LocalMachine, CurrentUser };

// The text of value `name` below root\path as the system holds it (REG_SZ,
// without the terminating zero); nullopt when the key or value is missing or
// not text.
std::optional<std::string> SystemText(SystemRoot root, const std::string& path,
                                      const std::string& name);
// Removes root\path with everything below it.
void SystemDeleteTree(SystemRoot root, const std::string& path);

}  // namespace tapix::testing
