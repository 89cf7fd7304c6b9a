// On Windows the console shows the code page 1252 bytes as they stand.
#include "core/text_encoding.h"

namespace tapix {

bool LocaleIsUtf8() { return false; }

}  // namespace tapix
