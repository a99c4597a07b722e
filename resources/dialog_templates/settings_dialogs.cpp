#include "settings_dialogs.h"

#include "dialog/control_ids.h"

namespace qclr::resources {
namespace {

using platform::DialogItem;
using platform::DialogTemplate;
using namespace platform;
using namespace dialog;

constexpr uint32_t kChild = kStyleChild | kStyleVisible;

struct Place {
  int16_t x, y, width, height;
};

DialogItem Item(uint16_t classAtom, uint32_t style, int32_t id, const char* text, Place at) {
  DialogItem item;
  item.style = kChild | style;
  item.x = at.x;
  item.y = at.y;
  item.width = at.width;
  item.height = at.height;
  item.id = id;
  item.classAtom = classAtom;
  item.text = text;
  return item;
}

DialogItem Label(const char* text, Place at) { return Item(kClassStatic, 0, kStaticControlId, text, at); }

DialogItem GroupBox(const char* text, Place at, int32_t id = kStaticControlId, uint32_t style = 0) {
  return Item(kClassButton, kButtonGroupBox | style, id, text, at);
}

// The file-name boxes show what the open-file dialog chose; the user does not type
// into them, so what they show is always what the choice uses.
DialogItem FileNameBox(int32_t id, Place at) {
  return Item(kClassEdit, kStyleBorder | kStyleTabStop | kEditAutoHScroll | kEditReadOnly, id, "", at);
}

DialogItem EntryBox(int32_t id, Place at) {
  return Item(kClassEdit, kStyleBorder | kStyleTabStop | kEditAutoHScroll, id, "", at);
}

DialogItem Button(int32_t id, const char* text, Place at) {
  return Item(kClassButton, kButtonPush | kStyleTabStop, id, text, at);
}

DialogItem DefaultButton(int32_t id, const char* text, Place at) {
  return Item(kClassButton, kButtonDefault | kStyleTabStop, id, text, at);
}

// `at.height` includes the list that drops down.
DialogItem DropDownList(int32_t id, Place at, uint32_t style = 0) {
  return Item(kClassComboBox, kComboDropDownList | kStyleVScroll | kStyleTabStop | style, id, "", at);
}

DialogItem CheckBox(int32_t id, const char* text, Place at) {
  return Item(kClassButton, kButtonAutoCheckBox | kStyleTabStop, id, text, at);
}

DialogItem RadioButton(int32_t id, const char* text, Place at, uint32_t style = 0) {
  return Item(kClassButton, kButtonAutoRadio | style, id, text, at);
}

// An up-down control that takes the control before it as its buddy and shows its
// position there as a plain number.
DialogItem UpDown(int32_t id, Place at) {
  DialogItem item = Item(0,
                         kUpDownSetBuddyInt | kUpDownAlignRight | kUpDownAutoBuddy |
                             kUpDownArrowKeys | kUpDownNoThousands,
                         id, "", at);
  item.className = kClassUpDown;
  return item;
}

DialogTemplate Dialog(const char* title, int16_t width, int16_t height) {
  DialogTemplate t;
  t.style = kStylePopup | kStyleCaption | kStyleSysMenu | kDialogModalFrame | kDialog3dLook |
            kDialogCenter | kDialogSetFont;
  t.width = width;
  t.height = height;
  t.title = title;
  t.pointSize = 8;
  t.typeface = "MS Sans Serif";
  return t;
}

}  // namespace

DialogTemplate CmykSettingsDialog() {
  DialogTemplate t = Dialog("CMYK color settings", 238, 231);
  t.items = {
      Label("Conversion &Method", {7, 9, 72, 8}),
      DropDownList(kIdMethod, {82, 7, 149, 80}),
      GroupBox("Custom ICC Profiles", {7, 25, 224, 48}),
      Label("&CMYK Profile", {14, 39, 62, 8}),
      FileNameBox(kIdSourceProfile, {78, 37, 128, 12}),
      Button(kIdBrowseSource, "...", {210, 37, 14, 12}),
      Label("&RGB profile", {14, 55, 62, 8}),
      FileNameBox(kIdDestinationProfile, {78, 53, 128, 12}),
      Button(kIdBrowseDestination, "...", {210, 53, 14, 12}),
      GroupBox("Emulation tables", {7, 77, 224, 32}),
      Label("&Destination RGB table", {14, 91, 82, 8}),
      FileNameBox(kIdTable, {98, 89, 108, 12}),
      Button(kIdBrowseTable, "...", {210, 89, 14, 12}),
      GroupBox("&White point", {7, 113, 224, 46}),
      DropDownList(kIdWhitePoint, {14, 126, 84, 80}, kComboSort),
      Label("&x", {106, 128, 8, 8}),
      EntryBox(kIdWhiteX, {116, 126, 42, 12}),
      Label("&y", {166, 128, 8, 8}),
      EntryBox(kIdWhiteY, {176, 126, 42, 12}),
      Label("Y is always 1.0", {14, 144, 100, 8}),
      GroupBox("Built-in Settings", {7, 163, 106, 40}),
      Label("&GCR", {14, 178, 22, 8}),
      EntryBox(kIdBlackGeneration, {40, 176, 50, 12}),
      UpDown(kIdBlackGenerationSpin, {90, 176, 11, 12}),
      DefaultButton(kIdOk, "OK", {126, 210, 50, 14}),
      Button(kIdCancel, "Cancel", {181, 210, 50, 14}),
      GroupBox("Miscellaneous", {119, 163, 112, 40}),
      CheckBox(kIdFromRgb, "RGB &to CMYK", {126, 176, 98, 10}),
      CheckBox(kIdBgrOrder, "BGR &Order", {126, 189, 98, 10}),
  };
  return t;
}

DialogTemplate LabSettingsDialog() {
  DialogTemplate t = Dialog("CIELab color settings", 242, 311);
  t.items = {
      DefaultButton(kIdOk, "OK", {131, 289, 50, 14}),
      Button(kIdCancel, "Cancel", {185, 289, 50, 14}),
      Label("Conversion &Method", {7, 9, 72, 8}),
      DropDownList(kIdMethod, {82, 7, 153, 80}),
      GroupBox("Custom ICC Profiles", {7, 25, 228, 64}),
      Label("&Source input profile", {14, 37, 120, 8}),
      FileNameBox(kIdSourceProfile, {14, 47, 200, 12}),
      Button(kIdBrowseSource, "...", {217, 47, 14, 12}),
      Label("&Destination output profile", {14, 63, 120, 8}),
      FileNameBox(kIdDestinationProfile, {14, 73, 200, 12}),
      Button(kIdBrowseDestination, "...", {217, 73, 14, 12}),
      GroupBox("Emulation tables", {7, 93, 228, 118}, kIdTablesGroup),
      Label("Destination &CIELab table", {19, 120, 94, 8}),
      FileNameBox(kIdLabTable, {115, 118, 94, 12}),
      Button(kIdBrowseLabTable, "...", {212, 118, 14, 12}),
      GroupBox("&White point", {7, 215, 228, 44}),
      DropDownList(kIdWhitePoint, {14, 228, 84, 80}, kComboSort),
      Label("&x", {106, 230, 8, 8}),
      EntryBox(kIdWhiteX, {116, 228, 42, 12}),
      Label("&y", {166, 230, 8, 8}),
      EntryBox(kIdWhiteY, {176, 228, 42, 12}),
      Label("Y is always 1.0", {14, 246, 100, 8}),
      Label("Destinantion R&GB table", {19, 158, 94, 8}),
      FileNameBox(kIdRgbTable, {115, 156, 94, 12}),
      Button(kIdBrowseRgbTable, "...", {212, 156, 14, 12}),
      GroupBox("Lab To RGB conversion", {13, 143, 216, 34}),
      GroupBox("RGB To Lab conversion", {13, 105, 216, 34}),
      RadioButton(kIdRgbToLabRadio, "&RGB To CIELab", {19, 186, 90, 10}, kStyleGroup | kStyleTabStop),
      RadioButton(kIdLabToRgbRadio, "CIE&Lab To RGB", {119, 186, 90, 10}),
      // Ends the group of the two radio buttons.
      GroupBox("Miscellaneous", {7, 263, 118, 40}, kStaticControlId, kStyleGroup),
      CheckBox(kIdFromRgb, "RGB &to LAB", {14, 276, 100, 10}),
      CheckBox(kIdBgrOrder, "BGR &Order", {14, 289, 100, 10}),
  };
  return t;
}

}  // namespace qclr::resources
