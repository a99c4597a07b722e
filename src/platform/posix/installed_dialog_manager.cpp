// The dialog-manager calls of the POSIX layer, forwarded to the installed manager.
// Without one no dialog exists, so the calls that need a dialog are never made
// with a real one; they then do nothing and report nothing.
#include "platform/posix/installed_dialog_manager.h"

#include <atomic>

namespace qclr::platform {
namespace {

std::atomic<DialogManager*> gInstalled{nullptr};

DialogManager* Installed() { return gInstalled.load(std::memory_order_acquire); }

}  // namespace

void InstallDialogManager(DialogManager* manager) {
  gInstalled.store(manager, std::memory_order_release);
}

int32_t RunModalDialog(int32_t templateId, void* ownerWindow, DialogProcedure procedure, void* context) {
  DialogManager* m = Installed();
  return m == nullptr ? kDialogNotCreated : m->RunModalDialog(templateId, ownerWindow, procedure, context);
}

void EndDialog(DialogWindow* dialog, int32_t result) {
  if (DialogManager* m = Installed()) m->EndDialog(dialog, result);
}

void EnableControl(DialogWindow* dialog, int32_t controlId, bool enabled) {
  if (DialogManager* m = Installed()) m->EnableControl(dialog, controlId, enabled);
}

void SetControlText(DialogWindow* dialog, int32_t controlId, const char* text) {
  if (DialogManager* m = Installed()) m->SetControlText(dialog, controlId, text);
}

size_t GetControlText(DialogWindow* dialog, int32_t controlId, char* text, size_t capacity) {
  if (DialogManager* m = Installed()) return m->GetControlText(dialog, controlId, text, capacity);
  if (capacity > 0) text[0] = '\0';
  return 0;
}

void LimitControlText(DialogWindow* dialog, int32_t controlId, int32_t characters) {
  if (DialogManager* m = Installed()) m->LimitControlText(dialog, controlId, characters);
}

void FocusControl(DialogWindow* dialog, int32_t controlId) {
  if (DialogManager* m = Installed()) m->FocusControl(dialog, controlId);
}

void AddListEntry(DialogWindow* dialog, int32_t controlId, const char* text, int32_t value) {
  if (DialogManager* m = Installed()) m->AddListEntry(dialog, controlId, text, value);
}

void SelectListValue(DialogWindow* dialog, int32_t controlId, int32_t value) {
  if (DialogManager* m = Installed()) m->SelectListValue(dialog, controlId, value);
}

int32_t SelectedListValue(DialogWindow* dialog, int32_t controlId, int32_t none) {
  DialogManager* m = Installed();
  return m == nullptr ? none : m->SelectedListValue(dialog, controlId, none);
}

void CheckButton(DialogWindow* dialog, int32_t controlId, bool checked) {
  if (DialogManager* m = Installed()) m->CheckButton(dialog, controlId, checked);
}

bool IsButtonChecked(DialogWindow* dialog, int32_t controlId) {
  DialogManager* m = Installed();
  return m != nullptr && m->IsButtonChecked(dialog, controlId);
}

void SetUpDownRange(DialogWindow* dialog, int32_t controlId, int32_t low, int32_t high) {
  if (DialogManager* m = Installed()) m->SetUpDownRange(dialog, controlId, low, high);
}

void SetUpDownPosition(DialogWindow* dialog, int32_t controlId, int32_t position) {
  if (DialogManager* m = Installed()) m->SetUpDownPosition(dialog, controlId, position);
}

bool ShowOpenFileDialog(DialogWindow* owner, const OpenFileRequest& request, char* fileName,
                        size_t capacity) {
  DialogManager* m = Installed();
  return m != nullptr && m->ShowOpenFileDialog(owner, request, fileName, capacity);
}

}  // namespace qclr::platform
