#include "settings/registry_backend.h"
#include "settings/store_console.h"

namespace tapix {

namespace {
RegistryBackend* g_override = nullptr;
Console* g_store_console = nullptr;
}  // namespace

RegistryBackend& Registry() { return g_override != nullptr ? *g_override : PlatformRegistry(); }

void SetRegistry(RegistryBackend* backend) { g_override = backend; }

void SetStoreConsole(Console* console) { g_store_console = console; }

Console* StoreConsole() { return g_store_console; }

}  // namespace tapix
