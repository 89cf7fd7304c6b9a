// The program's own pictures and cursors, compiled into the program.
#pragma once

#include <optional>

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace tapix {

// The program icon.
QIcon ProgramIcon();

// Bitmap 102 (the program picture, 34 x 34) or 104 (the maker's, 60 x 25);
// a null pixmap for any other number.
QPixmap Bitmap(int number);

// A cursor by its resource name ("CURSOR_MAILHAND", "CURSOR_WWWHAND") with its
// hotspot; nothing for an unknown name or a picture that cannot be loaded.
std::optional<QCursor> LoadCursorResource(const char* name);

}  // namespace tapix
