// The character set of the locale the program was started with.
#pragma once

namespace tapix {

// True when the locale (LC_ALL, LC_CTYPE, LANG) uses UTF-8; asked without
// changing the program's own locale, so printf keeps its "C" rules. Always
// false on Windows, whose console shows the code page 1252 bytes as they
// stand.
bool LocaleIsUtf8();

}  // namespace tapix
