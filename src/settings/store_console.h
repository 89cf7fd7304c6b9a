// Where the settings store reports what the operator must know (a broken
// store file, a save that was refused); nowhere unless a run sets it.
#pragma once

#include "core/console.h"

namespace tapix {

void SetStoreConsole(Console* console);
// The console set now; null when none.
Console* StoreConsole();

// Sets the store console for a scope (a run) and clears it on every way out.
class StoreConsoleScope {
 public:
  explicit StoreConsoleScope(Console& console) { SetStoreConsole(&console); }
  ~StoreConsoleScope() { SetStoreConsole(nullptr); }
  StoreConsoleScope(const StoreConsoleScope&) = delete;
  StoreConsoleScope& operator=(const StoreConsoleScope&) = delete;
};

}  // namespace tapix
