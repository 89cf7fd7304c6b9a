#include "ui/win32/tooltip_set.h"

#include <commctrl.h>

namespace tapix::win32 {

void TooltipSet::Create(HWND owner, DWORD extra_style) {
  owner_ = owner;
  instance_ = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE));
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                             extra_style | WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance_,
                             nullptr);
  // A failed creation leaves no window; the calls below then fail quietly.
  SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
  // The shadow is a class style: it holds for every tooltip of the process.
  SetClassLongPtrA(tooltip_, GCL_STYLE, GetClassLongPtrA(tooltip_, GCL_STYLE) | CS_DROPSHADOW);
}

LRESULT TooltipSet::AddTool(HWND control, const char* text) {
  // The record without the trailing reserved pointer, which every version of
  // the tooltip control accepts.
  TOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS | TTF_TRANSPARENT;
  tool.hwnd = owner_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.hinst = instance_;
  tool.lpszText = const_cast<char*>(text);
  return SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace tapix::win32
