#include "ui/qt/app_resources.h"

#include <cstring>

#include <QString>

#include "ui/main_window_table.h"

namespace tapix {
namespace {

struct CursorResource {
  const char* name;
  const char* path;
  int hot_x, hot_y;
};

constexpr CursorResource kCursors[] = {
    {"CURSOR_MAILHAND", ":/tapix/cursor_mailhand.xpm", 6, 1},
    {"CURSOR_WWWHAND", ":/tapix/cursor_wwwhand.xpm", 6, 2},
};

}  // namespace

QIcon ProgramIcon() { return QIcon(QStringLiteral(":/tapix/tapix_icon.xpm")); }

QPixmap Bitmap(int number) {
  switch (number) {
    case kProgramBitmap:
      return QPixmap(QStringLiteral(":/tapix/bitmap_102.xpm"));
    case kMakerBitmap:
      return QPixmap(QStringLiteral(":/tapix/bitmap_104.xpm"));
    default:
      return QPixmap();
  }
}

std::optional<QCursor> LoadCursorResource(const char* name) {
  if (!name) return std::nullopt;
  for (const CursorResource& c : kCursors) {
    if (std::strcmp(c.name, name) != 0) continue;
    const QPixmap picture(QString::fromLatin1(c.path));
    if (picture.isNull()) return std::nullopt;
    return QCursor(picture, c.hot_x, c.hot_y);
  }
  return std::nullopt;
}

}  // namespace tapix
