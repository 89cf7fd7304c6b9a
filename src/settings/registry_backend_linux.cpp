// The registry of the Linux build: the file store (file_store.h), one text
// file per user.
#include "settings/file_store.h"
#include "settings/registry_backend.h"

namespace tapix {

RegistryBackend& PlatformRegistry() {
  static FileStore store(DefaultStorePath());
  return store;
}

}  // namespace tapix
