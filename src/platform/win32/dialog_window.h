// The Windows dialog manager's dialog: the system's dialog window and what the
// platform layer keeps beside it (kept in the window's user data).
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/platform.h"
#include "platform/posix/scripted_dialogs.h"

namespace qclr::platform {

// The scripted user's answer to an open-file dialog: a name, or a cancel.
struct FileAnswer {
  bool chosen;
  std::string name;
};

struct DialogWindow {
  HWND window = nullptr;  // set when the system has made the dialog
  int32_t templateId = 0;
  void* owner = nullptr;
  DialogProcedure procedure = nullptr;
  void* context = nullptr;
  bool ended = false;
  int32_t result = 0;

  // Kept for a scripted user only (tests).
  DialogScript script;
  bool layoutRead = false;
  DialogTemplate layout;
  std::deque<FileAnswer> fileAnswers;
  std::vector<OpenFileShown> fileDialogs;

  HWND Control(int32_t id) const { return window == nullptr ? nullptr : GetDlgItem(window, id); }
};

// The class of a control's window, as the scripted user sees it.
ControlKind KindOfControl(HWND control);

// Plays the next open-file answer of a scripted user in the system's open-file
// dialog that `owner` is about to show (the call of GetOpenFileNameA that follows
// must come before the next call of this). Without an answer waiting, the
// dialog is cancelled.
void PlayNextOpenFileAnswer(DialogWindow* owner);
// Stops playing once GetOpenFileNameA has returned.
void StopOpenFileAnswer();

// The script installed by SetDialogScript (empty when there is none).
DialogScript CurrentDialogScript();

}  // namespace qclr::platform
