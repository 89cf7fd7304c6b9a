// The window's small utilities on plain controls: a link label's targets,
// texts, cursors and font; a bold caption's font and its clean-up.
#include "ui/win32/bold_caption.h"
#include "ui/win32/hyperlink_label.h"

#include <gtest/gtest.h>

#include <string>

namespace tapix {
namespace {

// A hidden top-level window with one static control (ID 100), in the dialog
// font's place: what the main window gives a label or caption.
class ControlHost {
 public:
  explicit ControlHost(DWORD style = SS_LEFT, const char* text = "www.example.test") {
    parent_ = CreateWindowExA(0, "Static", "host", WS_POPUP, 0, 0, 300, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    control_ = CreateWindowExA(0, "Static", text, WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 20,
                               parent_, reinterpret_cast<HMENU>(100), GetModuleHandleA(nullptr),
                               nullptr);
    font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    SendMessageA(control_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  ~ControlHost() {
    if (IsWindow(parent_)) DestroyWindow(parent_);
    DeleteObject(font_);
  }
  HWND parent() const { return parent_; }
  HWND control() const { return control_; }
  HFONT font() const { return font_; }

 private:
  HWND parent_;
  HWND control_;
  HFONT font_;
};

LOGFONTA Describe(HFONT font) {
  LOGFONTA out{};
  GetObjectA(font, sizeof out, &out);
  return out;
}

TEST(HyperlinkLabelTest, AttachFailsWithoutDialogOrControl) {
  ControlHost host;
  win32::HyperlinkLabel label;
  EXPECT_EQ(label.Attach(nullptr, 100), 0);
  EXPECT_EQ(label.Attach(host.parent(), 999), 0);
  EXPECT_EQ(label.SetLink("mailto:a@b", nullptr), 0) << "no window: nothing";
  EXPECT_EQ(label.UnderlineFont(), nullptr);
}

TEST(HyperlinkLabelTest, TargetsTextsCursorsAndOneUnderlineFont) {
  ControlHost host;
  win32::HyperlinkLabel label;
  ASSERT_EQ(label.Attach(host.parent(), 100), 1);
  EXPECT_TRUE(GetWindowLongPtrA(host.control(), GWL_STYLE) & SS_NOTIFY);

  // No target and no text: the control's own text for both.
  ASSERT_EQ(label.SetLink(nullptr, nullptr), 1);
  EXPECT_STREQ(label.Target(), "www.example.test");
  EXPECT_STREQ(label.Text(), "www.example.test");
  const HCURSOR web = label.Cursor();
  EXPECT_NE(web, nullptr);
  const HFONT underline = label.UnderlineFont();
  ASSERT_NE(underline, nullptr);
  const LOGFONTA made = Describe(underline);
  EXPECT_TRUE(made.lfUnderline);
  EXPECT_STREQ(made.lfFaceName, Describe(host.font()).lfFaceName);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(host.control(), WM_GETFONT, 0, 0)), underline);

  // "mailto:" gets the mail hand; the comparison is exact, so capitals do not.
  label.SetLink("mailto:office@example.test", "office@example.test");
  const HCURSOR mail = label.Cursor();
  EXPECT_NE(mail, nullptr);
  EXPECT_NE(mail, web);
  EXPECT_EQ(label.UnderlineFont(), underline) << "a second SetLink keeps the first font";
  label.SetLink("MAILTO:office@example.test", nullptr);
  EXPECT_EQ(label.Cursor(), web);

  // Long texts are cut to 255 bytes; the control's own text to 254.
  const std::string long_target(400, 'x');
  label.SetLink(long_target.c_str(), long_target.c_str());
  EXPECT_EQ(std::string(label.Target()), long_target.substr(0, 255));
  EXPECT_EQ(std::string(label.Text()), long_target.substr(0, 255));
  SetWindowTextA(host.control(), long_target.c_str());
  label.SetLink(nullptr, nullptr);
  EXPECT_EQ(std::string(label.Target()).size(), 254u);
}

TEST(HyperlinkLabelTest, ARefusedLinkStaysUnvisitedAndMovesOpenNothing) {
  ControlHost host;
  win32::HyperlinkLabel label;
  ASSERT_EQ(label.Attach(host.parent(), 100), 1);
  label.SetLink("Z:\\no\\such\\folder\\tapix-link-target.none", "link");
  for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP}) {
    EXPECT_EQ(SendMessageA(host.control(), message, 0, 0), 1);
  }
  EXPECT_FALSE(label.Visited());
  // The shell refuses a target that does not exist: a beep, no colour change.
  EXPECT_EQ(SendMessageA(host.control(), WM_LBUTTONDOWN, 0, 0), 1);
  EXPECT_FALSE(label.Visited());
  // Painting draws through the label (and returns 1) in every alignment.
  InvalidateRect(host.control(), nullptr, TRUE);
  EXPECT_EQ(SendMessageA(host.control(), WM_PAINT, 0, 0), 1);
  // The control's destruction releases the underline font.
  DestroyWindow(host.control());
  EXPECT_EQ(label.UnderlineFont(), nullptr);
}

TEST(BoldCaptionTest, BoldCopyOfTheCaptionFontGivenBackAtTheEnd) {
  ControlHost host(SS_CENTER, "Allgemein:");
  HFONT bold_font = nullptr;
  {
    win32::BoldCaption caption;
    caption.Create(host.parent(), 100);
    bold_font = caption.Font();
    ASSERT_NE(bold_font, nullptr);
    const LOGFONTA bold = Describe(bold_font);
    const LOGFONTA plain = Describe(host.font());
    EXPECT_EQ(bold.lfWeight, FW_BOLD);
    EXPECT_EQ(bold.lfHeight, plain.lfHeight);
    EXPECT_STREQ(bold.lfFaceName, plain.lfFaceName);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(host.control(), WM_GETFONT, 0, 0)), bold_font);
  }
  // The control no longer refers to the deleted font.
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(host.control(), WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(GetObjectType(bold_font), 0u) << "deleted";

  // After the control is gone only the font goes; a missing control makes
  // nothing and its clean-up does nothing.
  {
    win32::BoldCaption gone;
    gone.Create(host.parent(), 100);
    bold_font = gone.Font();
    DestroyWindow(host.control());
  }
  EXPECT_EQ(GetObjectType(bold_font), 0u);
  win32::BoldCaption missing;
  missing.Create(host.parent(), 999);
  EXPECT_EQ(missing.Font(), nullptr);
}

}  // namespace
}  // namespace tapix
