// The scripted user: what it reads from an in-memory dialog and the actions it
// plays, each with the notices a real dialog manager sends for it.
#include <algorithm>

#include "support/in_memory_dialog.h"
#include "support/scripted_dialogs.h"

namespace qclr::platform {

void InstallScriptPlayer(bool installed) { InstallDialogManager(installed ? InMemoryDialogs() : nullptr); }

int32_t DialogUser::TemplateId() const { return dialog_->templateId; }
void* DialogUser::OwnerWindow() const { return dialog_->owner; }
const DialogTemplate& DialogUser::Layout() const { return dialog_->layout; }
bool DialogUser::Ended() const { return dialog_->ended; }

bool DialogUser::IsEnabled(int32_t id) const {
  const Control* c = dialog_->Find(id);
  return c != nullptr && c->enabled;
}

std::string DialogUser::Text(int32_t id) const {
  const Control* c = dialog_->Find(id);
  return c == nullptr ? std::string() : c->text;
}

std::vector<std::string> DialogUser::Entries(int32_t id) const {
  std::vector<std::string> texts;
  if (const Control* c = dialog_->Find(id)) {
    for (const ListEntry& e : c->entries) texts.push_back(e.text);
  }
  return texts;
}

bool DialogUser::IsChecked(int32_t id) const {
  const Control* c = dialog_->Find(id);
  return c != nullptr && c->checked;
}

int32_t DialogUser::FocusedControl() const {
  return dialog_->focus < 0 ? 0 : dialog_->controls[static_cast<size_t>(dialog_->focus)].item.id;
}

int32_t DialogUser::UpDownPosition(int32_t id) const {
  const Control* c = dialog_->Find(id);
  return c == nullptr ? 0 : c->position;
}

bool DialogUser::Choose(int32_t id, const std::string& entry) {
  const int32_t index = dialog_->IndexOf(id);
  if (dialog_->ended || index < 0) return false;
  Control& c = dialog_->controls[static_cast<size_t>(index)];
  if (!c.enabled || c.kind != ControlKind::kDropDownList) return false;
  const auto found = std::find_if(c.entries.begin(), c.entries.end(),
                                  [&](const ListEntry& e) { return e.text == entry; });
  if (found == c.entries.end()) return false;
  const auto entryIndex = static_cast<int32_t>(found - c.entries.begin());
  dialog_->MoveFocus(index);
  if (dialog_->ended) return true;
  const bool changed = c.selected != entryIndex;
  c.selected = entryIndex;
  if (changed) dialog_->Notify(index, ControlNotice::kSelectionChanged);
  return true;
}

bool DialogUser::Click(int32_t id) {
  const int32_t index = dialog_->IndexOf(id);
  if (dialog_->ended || index < 0) return false;
  Control& c = dialog_->controls[static_cast<size_t>(index)];
  const bool pressable = c.kind == ControlKind::kPushButton || c.kind == ControlKind::kCheckBox ||
                         c.kind == ControlKind::kRadioButton;
  if (!c.enabled || !pressable) return false;
  dialog_->MoveFocus(index);
  if (dialog_->ended) return true;
  if (c.kind == ControlKind::kCheckBox) c.checked = !c.checked;
  if (c.kind == ControlKind::kRadioButton) dialog_->CheckRadio(index);
  dialog_->Notify(index, ControlNotice::kClicked);
  return true;
}

bool DialogUser::Type(int32_t id, const std::string& text) {
  const int32_t index = dialog_->IndexOf(id);
  if (dialog_->ended || index < 0) return false;
  Control& c = dialog_->controls[static_cast<size_t>(index)];
  if (!c.enabled || !c.IsEditable()) return false;
  dialog_->MoveFocus(index);
  if (dialog_->ended) return true;
  c.text = text.substr(0, c.textLimit);
  dialog_->Notify(index, ControlNotice::kTextChanged);
  return true;
}

void DialogUser::AnswerNextOpenFile(const std::string& name) { dialog_->fileAnswers.push_back({true, name}); }

void DialogUser::CancelNextOpenFile() { dialog_->fileAnswers.push_back({false, std::string()}); }

const std::vector<OpenFileShown>& DialogUser::OpenFileDialogs() const { return dialog_->fileDialogs; }

}  // namespace qclr::platform
