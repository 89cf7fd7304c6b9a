// One tooltip window ("tooltips_class32") owned by the main window, with
// controls registered on it as tools: a fixed text each, or
// LPSTR_TEXTCALLBACKA for a text the owner supplies on TTN_NEEDTEXT.
#pragma once

#include <windows.h>

namespace tapix::win32 {

class TooltipSet {
 public:
  // Makes the tooltip window; extra_style 0x40 (TTS_BALLOON) for balloons.
  void Create(HWND owner, DWORD extra_style);

  // Registers a control by its window. `text` must outlive the tooltip
  // window, or be LPSTR_TEXTCALLBACKA. Nonzero on success.
  LRESULT AddTool(HWND control, const char* text);

  HWND Window() const { return tooltip_; }

 private:
  HWND tooltip_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HWND owner_ = nullptr;
};

}  // namespace tapix::win32
