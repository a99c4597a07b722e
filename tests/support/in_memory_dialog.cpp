#include "support/in_memory_dialog.h"

#include <cstdio>

namespace qclr::platform {

void DialogWindow::MakeControls() {
  controls.clear();
  controls.resize(layout.items.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    Control& c = controls[i];
    c.item = layout.items[i];
    c.kind = KindOfItem(c.item);
    c.enabled = (c.item.style & kStyleDisabled) == 0;
    // Lists and edit boxes start empty; the template text of the others is shown.
    if (c.kind != ControlKind::kDropDownList) c.text = c.item.text;
    if (c.kind == ControlKind::kUpDown && (c.item.style & kUpDownAutoBuddy) && i > 0) {
      c.buddy = static_cast<int32_t>(i) - 1;
    }
  }
}

int32_t DialogWindow::IndexOf(int32_t id) const {
  for (size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].item.id == id) return static_cast<int32_t>(i);
  }
  return -1;
}

Control* DialogWindow::Find(int32_t id) {
  const int32_t i = IndexOf(id);
  return i < 0 ? nullptr : &controls[static_cast<size_t>(i)];
}

const Control* DialogWindow::Find(int32_t id) const {
  const int32_t i = IndexOf(id);
  return i < 0 ? nullptr : &controls[static_cast<size_t>(i)];
}

void DialogWindow::Notify(int32_t index, ControlNotice notice) {
  if (ended || procedure == nullptr) return;
  const DialogMessage message{DialogMessageKind::kCommand, controls[static_cast<size_t>(index)].item.id,
                              notice};
  procedure(this, message, context);
}

void DialogWindow::MoveFocus(int32_t index) {
  if (index == focus) return;
  const int32_t previous = focus;
  focus = index;
  if (previous >= 0) Notify(previous, ControlNotice::kFocusLost);
  Notify(index, ControlNotice::kFocusGained);
}

void DialogWindow::FocusFirstTabStop() {
  for (size_t i = 0; i < controls.size(); ++i) {
    const Control& c = controls[i];
    if (c.enabled && c.TakesFocus() && (c.item.style & kStyleTabStop)) {
      MoveFocus(static_cast<int32_t>(i));
      return;
    }
  }
}

void DialogWindow::ShowUpDownPosition(Control& upDown) {
  if (upDown.buddy < 0 || !(upDown.item.style & kUpDownSetBuddyInt)) return;
  // Shown without thousands separators, as kUpDownNoThousands asks; the dialogs
  // here set that style on every up-down.
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(upDown.position));
  controls[static_cast<size_t>(upDown.buddy)].text = digits;
}

void DialogWindow::CheckRadio(int32_t index) {
  // The group runs from a radio button with the group style (or the first of a
  // run) to the last radio button before the next group style or other control.
  int32_t first = index;
  while (first > 0 && !(controls[static_cast<size_t>(first)].item.style & kStyleGroup) &&
         controls[static_cast<size_t>(first - 1)].kind == ControlKind::kRadioButton) {
    --first;
  }
  for (size_t i = static_cast<size_t>(first); i < controls.size(); ++i) {
    Control& c = controls[i];
    if (c.kind != ControlKind::kRadioButton) break;
    if (i != static_cast<size_t>(first) && (c.item.style & kStyleGroup)) break;
    c.checked = static_cast<int32_t>(i) == index;
  }
}

}  // namespace qclr::platform
