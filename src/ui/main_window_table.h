// The main window's controls in template order (which is also the tab order),
// with their places in dialog units, and the texts of its two tooltip sets.
// The one description of the window: the Qt window is built from it, and the
// Win32 dialog template (resources/main_window.rc) is generated from it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/control_ids.h"

namespace tapix {

enum class ControlKind {
  Picture,       // a bitmap in a sunken frame, sized to the bitmap
  Title,         // centred caption, top-aligned
  Line,          // sunken separator
  GroupCaption,  // centred caption in a sunken frame
  Label,         // left-aligned static text
  Box,           // two-state check box
  Field,         // digits-only edit field
  Button,        // push button, never the default one
  Combo,         // the port combo box
};

// The ID of controls that are never addressed.
inline constexpr int kAnonymousId = -1;

struct ControlSpec {
  int id;
  ControlKind kind;
  // Caption (UTF-8); for pictures the bitmap number in `bitmap`. The link
  // labels carry the maker's addresses.
  const char* caption;
  int bitmap;
  int x, y, width, height;  // dialog units
};

// The window's size in dialog units, title and style (WS_POPUP, WS_VISIBLE,
// WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX, DS_MODALFRAME, DS_CENTER,
// DS_SETFOREGROUND, DS_SETFONT: fixed size, no maximise box).
inline constexpr int kMainWindowWidth = 234;
inline constexpr int kMainWindowHeight = 307;
inline constexpr const char* kMainWindowTitle = "Tapix Ventrix Test";
inline constexpr std::uint32_t kMainWindowStyle = 0x90CA0AC0;
inline constexpr int kMainWindowTemplate = 101;

// The bitmaps of the two pictures (resources: tapix.rc and the XPM files).
inline constexpr int kProgramBitmap = 102;  // the program's picture, 34 x 34
inline constexpr int kMakerBitmap = 104;    // the maker's, 60 x 25

// The window class of a control kind in a dialog template.
const char* ControlClass(ControlKind kind);

// The control's window style: WS_CHILD | WS_VISIBLE and the kind's own bits.
std::uint32_t ControlStyle(ControlKind kind);

// Text as the Win32 build shows it: code page 1252 from UTF-8. Characters the
// code page lacks become '?'.
std::string ToCodePage1252(std::string_view utf8);

extern const std::array<ControlSpec, 77> kMainWindowControls;

struct ToolText {
  int id;
  const char* text;
};

// Fixed tips, in the order the tools are added.
extern const std::array<ToolText, 49> kControlTips;

// Multi-line tips of the title and the two pictures, supplied when the tip is
// about to show. Lines are separated by "\r\n". Null for other IDs.
const char* InfoTipText(int id);

// The controls that get their tip from the info set, in the order added.
inline constexpr std::array<int, 3> kInfoTipIds = {ctl::ProgramPicture, ctl::MakerPicture,
                                                  ctl::TitleCaption};

// The captions drawn in bold, in the order they are made.
inline constexpr std::array<int, 4> kBoldCaptionIds = {ctl::TitleCaption, ctl::GeneralCaption,
                                                      ctl::HostCaption, ctl::IsbCaption};

}  // namespace tapix
