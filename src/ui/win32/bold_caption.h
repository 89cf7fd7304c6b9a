// A static caption drawn in a bold copy of its own font. The font is given
// back (the control gets DEFAULT_GUI_FONT again) and deleted on destruction.
#pragma once

#include <windows.h>

namespace tapix::win32 {

class BoldCaption {
 public:
  BoldCaption() = default;
  ~BoldCaption();
  BoldCaption(const BoldCaption&) = delete;
  BoldCaption& operator=(const BoldCaption&) = delete;

  // Makes the bold font from the control's font and sets it. A missing
  // control makes nothing.
  void Create(HWND dialog, int id);

  HFONT Font() const { return font_; }

 private:
  HFONT font_ = nullptr;
  LOGFONTA description_{};
  HWND control_ = nullptr;
};

}  // namespace tapix::win32
