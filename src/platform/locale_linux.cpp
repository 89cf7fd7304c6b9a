// The locale's character set on Linux, asked without changing the program's
// own locale (printf keeps the "C" rules).
#include <langinfo.h>
#include <locale.h>

#include <cstring>

#include "platform/locale.h"

namespace tapix {

bool LocaleIsUtf8() {
  locale_t locale = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return false;  // unknown locale: as "C"
  const char* codeset = ::nl_langinfo_l(CODESET, locale);
  const bool utf8 = codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
  ::freelocale(locale);
  return utf8;
}

}  // namespace tapix
