#include "ui/win32/bold_caption.h"

namespace tapix::win32 {

void BoldCaption::Create(HWND dialog, int id) {
  control_ = GetDlgItem(dialog, id);
  if (!control_) return;
  const auto current = reinterpret_cast<HFONT>(SendMessageA(control_, WM_GETFONT, 0, 0));
  // Without a font of its own (the system font) the description stays zero:
  // the system's default face at its default height.
  if (current) GetObjectA(current, sizeof description_, &description_);
  description_.lfWeight = FW_BOLD;
  font_ = CreateFontIndirectA(&description_);
  SendMessageA(control_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}

BoldCaption::~BoldCaption() {
  if (!font_) return;
  // The control must not keep a font that is about to go.
  if (IsWindow(control_)) {
    SendMessageA(control_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 TRUE);
  }
  DeleteObject(font_);
}

}  // namespace tapix::win32
