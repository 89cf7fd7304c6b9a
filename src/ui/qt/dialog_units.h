// Dialog units: a place in a dialog template measured in fractions of the
// dialog font, so the layout grows with the font. One horizontal unit is a
// quarter of the font's average character width, one vertical unit an eighth
// of its character height.
#pragma once

#include <QFont>
#include <QRect>

namespace tapix {

class DialogUnits {
 public:
  DialogUnits(int base_x, int base_y) : base_x_(base_x), base_y_(base_y) {}

  // Base units of a font: the average width of the 52 Latin letters, rounded
  // to whole pixels, and the character height.
  static DialogUnits ForFont(const QFont& font);

  int base_x() const { return base_x_; }
  int base_y() const { return base_y_; }

  // Units to pixels, rounded to the nearest pixel.
  int X(int units) const;
  int Y(int units) const;
  QRect ToPixels(int x, int y, int width, int height) const;

 private:
  int base_x_;
  int base_y_;
};

}  // namespace tapix
