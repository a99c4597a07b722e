// A dialog manager for the POSIX layer over the in-memory dialogs. The calls a
// procedure makes change what the dialog shows without notices, as a real
// dialog manager's set-text, select and check messages do; only focus changes
// notify.
#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

#include "platform/platform.h"
#include "platform/posix/installed_dialog_manager.h"
#include "support/dialog_template_reader.h"
#include "support/in_memory_dialog.h"

namespace qclr::platform {
namespace {

bool HasExtension(const std::string& name) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

bool IsButtonKind(ControlKind kind) {
  return kind == ControlKind::kCheckBox || kind == ControlKind::kRadioButton;
}

}  // namespace

class InMemoryDialogManager final : public DialogManager {
 public:
  int32_t RunModalDialog(int32_t templateId, void* ownerWindow, DialogProcedure procedure,
                         void* context) override;
  void EndDialog(DialogWindow* dialog, int32_t result) override;
  void EnableControl(DialogWindow* dialog, int32_t controlId, bool enabled) override;
  void SetControlText(DialogWindow* dialog, int32_t controlId, const char* text) override;
  size_t GetControlText(DialogWindow* dialog, int32_t controlId, char* text,
                        size_t capacity) override;
  void LimitControlText(DialogWindow* dialog, int32_t controlId, int32_t characters) override;
  void FocusControl(DialogWindow* dialog, int32_t controlId) override;
  void AddListEntry(DialogWindow* dialog, int32_t controlId, const char* text,
                    int32_t value) override;
  void SelectListValue(DialogWindow* dialog, int32_t controlId, int32_t value) override;
  int32_t SelectedListValue(DialogWindow* dialog, int32_t controlId, int32_t none) override;
  void CheckButton(DialogWindow* dialog, int32_t controlId, bool checked) override;
  bool IsButtonChecked(DialogWindow* dialog, int32_t controlId) override;
  void SetUpDownRange(DialogWindow* dialog, int32_t controlId, int32_t low,
                      int32_t high) override;
  void SetUpDownPosition(DialogWindow* dialog, int32_t controlId, int32_t position) override;
  bool ShowOpenFileDialog(DialogWindow* owner, const OpenFileRequest& request, char* fileName,
                          size_t capacity) override;
};

int32_t InMemoryDialogManager::RunModalDialog(int32_t templateId, void* ownerWindow,
                                              DialogProcedure procedure, void* context) {
  const DialogScript script = CurrentDialogScript();
  if (!script || procedure == nullptr) return kDialogNotCreated;
  ResourceBytes resource{};
  if (FindLibraryResource(kDialogResourceType, templateId, &resource) != kErrorSuccess) {
    return kDialogNotCreated;
  }
  try {
    DialogWindow dialog;
    if (!ReadDialogTemplate(resource.data, resource.size, &dialog.layout)) return kDialogNotCreated;
    dialog.templateId = templateId;
    dialog.owner = ownerWindow;
    dialog.procedure = procedure;
    dialog.context = context;
    dialog.MakeControls();
    procedure(&dialog, DialogMessage{DialogMessageKind::kInitialise, 0, ControlNotice::kOther}, context);
    if (!dialog.ended) dialog.FocusFirstTabStop();
    if (!dialog.ended) {
      DialogUser user(&dialog);
      script(user);
    }
    if (!dialog.ended) {
      procedure(&dialog, DialogMessage{DialogMessageKind::kCommand, kCloseCommandId, ControlNotice::kClicked},
                context);
    }
    return dialog.ended ? dialog.result : kCloseCommandId;
  } catch (const std::exception&) {
    return kDialogNotCreated;  // the model ran out of memory: no dialog
  }
}

void InMemoryDialogManager::EndDialog(DialogWindow* dialog, int32_t result) {
  if (dialog == nullptr || dialog->ended) return;
  dialog->ended = true;
  dialog->result = result;
}

void InMemoryDialogManager::EnableControl(DialogWindow* dialog, int32_t controlId, bool enabled) {
  if (Control* c = dialog->Find(controlId)) c->enabled = enabled;
}

void InMemoryDialogManager::SetControlText(DialogWindow* dialog, int32_t controlId, const char* text) {
  if (Control* c = dialog->Find(controlId)) c->text = text == nullptr ? "" : text;
}

size_t InMemoryDialogManager::GetControlText(DialogWindow* dialog, int32_t controlId, char* text, size_t capacity) {
  const Control* c = dialog->Find(controlId);
  const std::string shown = c == nullptr ? std::string() : c->text;
  if (capacity > 0) {
    const size_t copied = std::min(shown.size(), capacity - 1);
    std::memcpy(text, shown.data(), copied);
    text[copied] = '\0';
  }
  return shown.size();
}

void InMemoryDialogManager::LimitControlText(DialogWindow* dialog, int32_t controlId, int32_t characters) {
  Control* c = dialog->Find(controlId);
  if (c != nullptr && c->kind == ControlKind::kEdit && characters > 0) {
    c->textLimit = static_cast<size_t>(characters);
  }
}

void InMemoryDialogManager::FocusControl(DialogWindow* dialog, int32_t controlId) {
  const int32_t index = dialog->IndexOf(controlId);
  if (index < 0) return;
  const Control& c = dialog->controls[static_cast<size_t>(index)];
  if (c.enabled && c.TakesFocus()) dialog->MoveFocus(index);
}

void InMemoryDialogManager::AddListEntry(DialogWindow* dialog, int32_t controlId, const char* text, int32_t value) {
  Control* c = dialog->Find(controlId);
  if (c == nullptr || c->kind != ControlKind::kDropDownList) return;
  ListEntry entry{text == nullptr ? "" : text, value};
  auto at = c->entries.end();
  if (c->item.style & kComboSort) {
    at = std::upper_bound(c->entries.begin(), c->entries.end(), entry,
                          [](const ListEntry& a, const ListEntry& b) { return a.text < b.text; });
  }
  const auto index = static_cast<int32_t>(at - c->entries.begin());
  c->entries.insert(at, std::move(entry));
  if (c->selected >= index) ++c->selected;
}

void InMemoryDialogManager::SelectListValue(DialogWindow* dialog, int32_t controlId, int32_t value) {
  Control* c = dialog->Find(controlId);
  if (c == nullptr) return;
  for (size_t i = 0; i < c->entries.size(); ++i) {
    if (c->entries[i].value == value) c->selected = static_cast<int32_t>(i);
  }
}

int32_t InMemoryDialogManager::SelectedListValue(DialogWindow* dialog, int32_t controlId, int32_t none) {
  const Control* c = dialog->Find(controlId);
  if (c == nullptr || c->selected < 0) return none;
  return c->entries[static_cast<size_t>(c->selected)].value;
}

void InMemoryDialogManager::CheckButton(DialogWindow* dialog, int32_t controlId, bool checked) {
  const int32_t index = dialog->IndexOf(controlId);
  if (index < 0) return;
  Control& c = dialog->controls[static_cast<size_t>(index)];
  if (!IsButtonKind(c.kind)) return;
  if (c.kind == ControlKind::kRadioButton && checked) {
    dialog->CheckRadio(index);
  } else {
    c.checked = checked;
  }
}

bool InMemoryDialogManager::IsButtonChecked(DialogWindow* dialog, int32_t controlId) {
  const Control* c = dialog->Find(controlId);
  return c != nullptr && c->checked;
}

void InMemoryDialogManager::SetUpDownRange(DialogWindow* dialog, int32_t controlId, int32_t low, int32_t high) {
  Control* c = dialog->Find(controlId);
  if (c == nullptr || c->kind != ControlKind::kUpDown) return;
  c->low = low;
  c->high = high;
}

void InMemoryDialogManager::SetUpDownPosition(DialogWindow* dialog, int32_t controlId, int32_t position) {
  Control* c = dialog->Find(controlId);
  if (c == nullptr || c->kind != ControlKind::kUpDown) return;
  c->position = std::clamp(position, std::min(c->low, c->high), std::max(c->low, c->high));
  dialog->ShowUpDownPosition(*c);
}

bool InMemoryDialogManager::ShowOpenFileDialog(DialogWindow* owner, const OpenFileRequest& request, char* fileName,
                        size_t capacity) {
  if (owner == nullptr || fileName == nullptr) return false;
  const auto text = [](const char* s) { return std::string(s == nullptr ? "" : s); };
  owner->fileDialogs.push_back(OpenFileShown{text(request.title), text(request.filterName),
                                             text(request.filterPattern),
                                             text(request.defaultExtension), request.options});
  if (owner->fileAnswers.empty()) return false;
  const FileAnswer answer = owner->fileAnswers.front();
  owner->fileAnswers.erase(owner->fileAnswers.begin());
  if (!answer.chosen || answer.name.empty()) return false;
  std::string name = answer.name;
  if (!HasExtension(name) && request.defaultExtension != nullptr && request.defaultExtension[0] != '\0') {
    name += ".";
    name += request.defaultExtension;
  }
  // A name that does not fit is refused, as the system refuses it.
  if (name.size() + 1 > capacity) return false;
  std::memcpy(fileName, name.c_str(), name.size() + 1);
  return true;
}

DialogManager* InMemoryDialogs() {
  static InMemoryDialogManager manager;
  return &manager;
}

}  // namespace qclr::platform
