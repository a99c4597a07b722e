// The binary dialog-template format (the classic DLGTEMPLATE layout a Windows
// build uses as it is): the resource generator writes it, the tests' in-memory
// dialog manager reads it back. Little-endian throughout:
//
//   u32 style, u32 extended style, u16 item count, i16 x, y, width, height,
//   u16 0 (no menu), u16 0 (standard class), title (UTF-16, zero-terminated),
//   with DS_SETFONT: u16 point size, typeface (UTF-16, zero-terminated);
//   then per item, starting on a 4-byte boundary of the template:
//   u32 style, u32 extended style, i16 x, y, width, height, u16 id,
//   class (0xFFFF + u16 atom, or a UTF-16 name), text (UTF-16, or 0xFFFF + u16
//   ordinal), u16 size of creation data (0) and the data.
//
// Coordinates are dialog units. This header holds no system header: the style
// bits are written out with their Windows values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qclr::platform {

// Window styles.
inline constexpr uint32_t kStylePopup = 0x80000000u;
inline constexpr uint32_t kStyleChild = 0x40000000u;
inline constexpr uint32_t kStyleVisible = 0x10000000u;
inline constexpr uint32_t kStyleDisabled = 0x08000000u;
inline constexpr uint32_t kStyleCaption = 0x00C00000u;
inline constexpr uint32_t kStyleBorder = 0x00800000u;
inline constexpr uint32_t kStyleVScroll = 0x00200000u;
inline constexpr uint32_t kStyleSysMenu = 0x00080000u;
inline constexpr uint32_t kStyleGroup = 0x00020000u;
inline constexpr uint32_t kStyleTabStop = 0x00010000u;

// Dialog styles.
inline constexpr uint32_t kDialog3dLook = 0x0004u;
inline constexpr uint32_t kDialogSetFont = 0x0040u;
inline constexpr uint32_t kDialogModalFrame = 0x0080u;
inline constexpr uint32_t kDialogCenter = 0x0800u;

// Button styles (the low four bits are the button's type).
inline constexpr uint32_t kButtonTypeMask = 0x000Fu;
inline constexpr uint32_t kButtonPush = 0x0000u;
inline constexpr uint32_t kButtonDefault = 0x0001u;
inline constexpr uint32_t kButtonAutoCheckBox = 0x0003u;
inline constexpr uint32_t kButtonGroupBox = 0x0007u;
inline constexpr uint32_t kButtonAutoRadio = 0x0009u;

// Edit styles.
inline constexpr uint32_t kEditAutoHScroll = 0x0080u;
inline constexpr uint32_t kEditReadOnly = 0x0800u;
inline constexpr uint32_t kEditNumber = 0x2000u;

// Combo box styles.
inline constexpr uint32_t kComboDropDownList = 0x0003u;
inline constexpr uint32_t kComboSort = 0x0100u;

// Up-down styles.
inline constexpr uint32_t kUpDownSetBuddyInt = 0x0002u;
inline constexpr uint32_t kUpDownAlignRight = 0x0004u;
inline constexpr uint32_t kUpDownAutoBuddy = 0x0010u;
inline constexpr uint32_t kUpDownArrowKeys = 0x0020u;
inline constexpr uint32_t kUpDownNoThousands = 0x0080u;

// Predefined control classes, by atom.
inline constexpr uint16_t kClassButton = 0x0080;
inline constexpr uint16_t kClassEdit = 0x0081;
inline constexpr uint16_t kClassStatic = 0x0082;
inline constexpr uint16_t kClassComboBox = 0x0085;
// The common-controls class of the up-down control, named in the template.
inline constexpr const char* kClassUpDown = "msctls_updown32";

// The id of controls the dialog never addresses (labels, most group boxes).
inline constexpr int32_t kStaticControlId = -1;

// One control of a template. `classAtom` names a predefined class; 0 means the
// class is named by `className`. Texts are 8-bit (the templates hold ASCII).
struct DialogItem {
  uint32_t style = 0;
  uint32_t extendedStyle = 0;
  int16_t x = 0, y = 0, width = 0, height = 0;
  int32_t id = kStaticControlId;  // the u16 id, 0xFFFF read as kStaticControlId
  uint16_t classAtom = 0;
  std::string className;
  std::string text;
};

struct DialogTemplate {
  uint32_t style = 0;
  uint32_t extendedStyle = 0;
  int16_t x = 0, y = 0, width = 0, height = 0;
  std::string title;
  uint16_t pointSize = 0;  // with kDialogSetFont
  std::string typeface;
  std::vector<DialogItem> items;
};

}  // namespace qclr::platform
