// The tests' dialog manager for the POSIX layer: the controls of a template
// modelled in memory, with the notices a real dialog manager would send its
// procedure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/platform.h"
#include "platform/posix/installed_dialog_manager.h"
#include "support/scripted_dialogs.h"

namespace qclr::platform {

struct ListEntry {
  std::string text;
  int32_t value;
};

// The user's answer to an open-file dialog: a name, or a cancel.
struct FileAnswer {
  bool chosen;
  std::string name;
};

struct Control {
  DialogItem item;
  ControlKind kind = ControlKind::kUnknown;
  bool enabled = true;
  std::string text;
  size_t textLimit = 30000;  // what an edit box takes before a limit is set
  std::vector<ListEntry> entries;
  int32_t selected = -1;  // index into entries
  bool checked = false;
  int32_t low = 0, high = 100, position = 0;  // up-down
  int32_t buddy = -1;                         // up-down: index of its buddy

  bool IsEditable() const { return kind == ControlKind::kEdit && !(item.style & kEditReadOnly); }
  bool TakesFocus() const {
    return kind != ControlKind::kLabel && kind != ControlKind::kGroupBox && kind != ControlKind::kUnknown;
  }
};

struct DialogWindow {
  int32_t templateId = 0;
  void* owner = nullptr;
  DialogTemplate layout;
  std::vector<Control> controls;  // template order; never resized once made
  DialogProcedure procedure = nullptr;
  void* context = nullptr;
  bool ended = false;
  int32_t result = 0;
  int32_t focus = -1;  // index of the focused control
  std::vector<FileAnswer> fileAnswers;  // oldest first
  std::vector<OpenFileShown> fileDialogs;

  // Makes the controls of `layout` in their template state.
  void MakeControls();
  // Index of the control with `id`, -1 when none has it.
  int32_t IndexOf(int32_t id) const;
  Control* Find(int32_t id);
  const Control* Find(int32_t id) const;
  // The control's notice to the procedure (nothing once the dialog has ended).
  void Notify(int32_t index, ControlNotice notice);
  // Moves the focus, with the notices of the control losing and the one gaining it.
  void MoveFocus(int32_t index);
  // The focus after initialisation: the first enabled tab stop.
  void FocusFirstTabStop();
  // Shows `position` in the up-down's buddy.
  void ShowUpDownPosition(Control& upDown);
  // Checks a radio button and clears the others of its group.
  void CheckRadio(int32_t index);
};

// The dialog manager over these dialogs, which SetDialogScript installs into the
// POSIX layer while a script is set.
DialogManager* InMemoryDialogs();

}  // namespace qclr::platform
