// On Windows the console shows the code page 1252 bytes as they stand.
#include "platform/locale.h"

namespace tapix {

bool LocaleIsUtf8() { return false; }

}  // namespace tapix
