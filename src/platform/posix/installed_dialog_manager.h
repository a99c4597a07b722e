// The POSIX layer has no dialog manager of the system's to show a dialog with.
// Without one installed, no dialog can be created: RunModalDialog reports
// kDialogNotCreated (and Q_ClrDlg takes the dialog's starting choice). A program
// that has a dialog manager of its own implements this interface and installs
// it; the test suites install an in-memory one that a script plays the user of.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace qclr::platform {

// The calls of platform.h's dialog-manager section, one for one.
class DialogManager {
 public:
  virtual ~DialogManager() = default;

  virtual int32_t RunModalDialog(int32_t templateId, void* ownerWindow, DialogProcedure procedure,
                                 void* context) = 0;
  virtual void EndDialog(DialogWindow* dialog, int32_t result) = 0;
  virtual void EnableControl(DialogWindow* dialog, int32_t controlId, bool enabled) = 0;
  virtual void SetControlText(DialogWindow* dialog, int32_t controlId, const char* text) = 0;
  virtual size_t GetControlText(DialogWindow* dialog, int32_t controlId, char* text,
                                size_t capacity) = 0;
  virtual void LimitControlText(DialogWindow* dialog, int32_t controlId, int32_t characters) = 0;
  virtual void FocusControl(DialogWindow* dialog, int32_t controlId) = 0;
  virtual void AddListEntry(DialogWindow* dialog, int32_t controlId, const char* text,
                            int32_t value) = 0;
  virtual void SelectListValue(DialogWindow* dialog, int32_t controlId, int32_t value) = 0;
  virtual int32_t SelectedListValue(DialogWindow* dialog, int32_t controlId, int32_t none) = 0;
  virtual void CheckButton(DialogWindow* dialog, int32_t controlId, bool checked) = 0;
  virtual bool IsButtonChecked(DialogWindow* dialog, int32_t controlId) = 0;
  virtual void SetUpDownRange(DialogWindow* dialog, int32_t controlId, int32_t low,
                              int32_t high) = 0;
  virtual void SetUpDownPosition(DialogWindow* dialog, int32_t controlId, int32_t position) = 0;
  virtual bool ShowOpenFileDialog(DialogWindow* owner, const OpenFileRequest& request,
                                  char* fileName, size_t capacity) = 0;
};

// Installs `manager` for every later dialog (null: none). It must stay alive, and
// installed, while a dialog it made is open.
void InstallDialogManager(DialogManager* manager);

}  // namespace qclr::platform
