// A static control turned into a link: its text underlined in blue (purple
// once visited), a hand cursor over it, and a click that hands the target to
// the shell ("open"). The label replaces the control's window procedure;
// everything it does not handle goes on to the control's own.
#pragma once

#include <windows.h>

namespace tapix::win32 {

class HyperlinkLabel {
 public:
  static constexpr COLORREF kNormal = RGB(0, 0, 255);
  static constexpr COLORREF kVisited = RGB(128, 0, 128);

  // Subclasses control `id` of the dialog. 1 on success, 0 otherwise.
  int Attach(HWND dialog, int id);

  // Sets the target and the text drawn (null: the control's own text for
  // either), the hand cursor ("mailto:" targets get the mail hand) and the
  // underlined font (made once). 1 on success, 0 without a window.
  int SetLink(const char* target, const char* text);

  HWND Window() const { return window_; }
  HCURSOR Cursor() const { return cursor_; }
  HFONT UnderlineFont() const { return underline_; }
  const char* Target() const { return target_; }
  const char* Text() const { return text_; }
  bool Visited() const { return visited_ != 0; }

 private:
  static LRESULT CALLBACK LinkProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Open();
  void SetHandCursor() const;
  void Paint();
  // At most 255 bytes of `given`, or the control's text when null.
  void Take(const char* given, char (&into)[256]) const;

  HWND window_ = nullptr;
  HCURSOR cursor_ = nullptr;
  int id_ = 0;
  WNDPROC previous_ = nullptr;
  HFONT underline_ = nullptr;
  char target_[256] = {};
  char text_[256] = {};
  COLORREF normal_ = kNormal;
  COLORREF visited_colour_ = kVisited;
  int visited_ = 0;
};

}  // namespace tapix::win32
