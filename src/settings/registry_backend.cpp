#include "settings/registry_backend.h"

namespace tapix {

namespace {
RegistryBackend* g_override = nullptr;
}  // namespace

RegistryBackend& Registry() { return g_override != nullptr ? *g_override : PlatformRegistry(); }

void SetRegistry(RegistryBackend* backend) { g_override = backend; }

}  // namespace tapix
