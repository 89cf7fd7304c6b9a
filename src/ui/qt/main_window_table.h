// The main window's controls in template order (which is also the tab order),
// with their places in dialog units, and the texts of its two tooltip sets.
#pragma once

#include <array>

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
  // Caption (UTF-8); for pictures the bitmap number in `bitmap`. Null for the
  // link labels, whose texts are the maker's addresses.
  const char* caption;
  int bitmap;
  int x, y, width, height;  // dialog units
};

// The window's size in dialog units.
inline constexpr int kMainWindowWidth = 234;
inline constexpr int kMainWindowHeight = 307;

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
inline constexpr std::array<int, 3> kInfoTipIds = {1052, 1051, 1050};

// The captions drawn in bold, in the order they are made.
inline constexpr std::array<int, 4> kBoldCaptionIds = {1050, 1047, 1045, 1046};

}  // namespace tapix
