#include "ui/win32/hyperlink_label.h"

#include <shellapi.h>

#include <cstring>

namespace tapix::win32 {
namespace {

void AddNotifyStyle(HWND control) {
  SetWindowLongPtrA(control, GWL_STYLE, GetWindowLongPtrA(control, GWL_STYLE) | SS_NOTIFY);
}

}  // namespace

int HyperlinkLabel::Attach(HWND dialog, int id) {
  if (!dialog) return 0;
  id_ = id;
  HWND control = GetDlgItem(dialog, id);
  if (!IsWindow(control)) return 0;
  SetWindowLongPtrA(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  const auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LinkProc)));
  if (!previous) return 0;
  AddNotifyStyle(control);
  previous_ = previous;
  window_ = control;
  return 1;
}

void HyperlinkLabel::Take(const char* given, char (&into)[256]) const {
  if (given) {
    // Never split a double-byte character of the system's code page.
    std::size_t n = 0;
    while (given[n] && n < 255) {
      const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(given[n])) && given[n + 1] ? 2 : 1;
      if (n + step > 255) break;
      n += step;
    }
    std::memcpy(into, given, n);
    into[n] = '\0';
  } else {
    into[0] = '\0';
    GetWindowTextA(window_, into, 255);
  }
  into[255] = '\0';
}

int HyperlinkLabel::SetLink(const char* target, const char* text) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE));
  if (!IsWindow(window_)) return 0;
  Take(target, target_);
  Take(text, text_);
  AddNotifyStyle(window_);
  // Exact case: "MAILTO:" gets the web hand.
  const bool mail = std::strncmp(target_, "mailto:", 7) == 0;
  cursor_ = LoadCursorA(instance, mail ? "CURSOR_MAILHAND" : "CURSOR_WWWHAND");
  if (!underline_) {
    LOGFONTA description{};
    const auto font = reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0));
    if (font) GetObjectA(font, sizeof description, &description);
    description.lfUnderline = 1;
    underline_ = CreateFontIndirectA(&description);
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(underline_), FALSE);
  }
  return 1;
}

void HyperlinkLabel::SetHandCursor() const {
  if (cursor_) SetCursor(cursor_);
}

void HyperlinkLabel::Open() {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", target_, nullptr, nullptr, SW_SHOWNORMAL));
  if (static_cast<UINT_PTR>(result) <= 32) {
    MessageBeep(0);  // no mail program or browser: a plain beep, nothing else
    return;
  }
  visited_ = 1;
  InvalidateRect(window_, nullptr, TRUE);
}

void HyperlinkLabel::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  const LONG_PTR style = GetWindowLongPtrA(window_, GWL_STYLE);
  RECT client;
  GetClientRect(window_, &client);
  UINT align = GetTextAlign(dc) & ~static_cast<UINT>(TA_CENTER);  // horizontal part cleared
  int x = 0;
  if (style & SS_CENTER) {
    x = client.right / 2;
    align |= TA_CENTER;
  } else if (style & SS_RIGHT) {
    x = client.right;
    align |= TA_RIGHT;
  }
  SelectObject(dc, underline_);
  SetTextColor(dc, visited_ ? visited_colour_ : normal_);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, align);
  TextOutA(dc, x, 0, text_, static_cast<int>(std::strlen(text_)));
  EndPaint(window_, &paint);
}

LRESULT CALLBACK HyperlinkLabel::LinkProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* label = reinterpret_cast<HyperlinkLabel*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!label) return 0;
  switch (message) {
    case WM_DESTROY:
      if (label->underline_) {
        DeleteObject(label->underline_);
        label->underline_ = nullptr;
      }
      break;
    case WM_PAINT:
      label->Paint();
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      label->Open();
      label->SetHandCursor();
      return 1;
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      label->SetHandCursor();
      return 1;
    default:
      break;
  }
  if (!label->previous_) return 0;
  return CallWindowProcA(label->previous_, window, message, wparam, lparam);
}

}  // namespace tapix::win32
