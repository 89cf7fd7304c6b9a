#include "settings/registry_backend.h"
#include "settings/store_notices.h"

#include <cstdarg>
#include <cstdio>

namespace tapix {

namespace {
RegistryBackend* g_override = nullptr;
std::vector<std::string> g_store_notices;
}  // namespace

RegistryBackend& Registry() { return g_override != nullptr ? *g_override : PlatformRegistry(); }

void SetRegistry(RegistryBackend* backend) { g_override = backend; }

void AddStoreNotice(std::string line) {
  if (g_store_notices.size() < kMaxStoreNotices) g_store_notices.push_back(std::move(line));
}

void AddStoreNoticef(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (n >= 0) {
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<std::size_t>(n));
    AddStoreNotice(std::move(text));
  }
  va_end(again);
}

std::vector<std::string> TakeStoreNotices() {
  std::vector<std::string> taken;
  taken.swap(g_store_notices);
  return taken;
}

}  // namespace tapix
