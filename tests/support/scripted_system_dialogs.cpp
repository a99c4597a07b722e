// The scripted user of the tests on Windows: it plays the dialogs the system's
// dialog manager shows, through the messages a user's input makes the controls
// send, and answers their open-file dialogs by filling in the system's own. It
// watches the library's dialogs as the dialog manager's observer, installed
// while a script is.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <deque>
#include <map>

#include "platform/win32/dialog_observer.h"
#include "platform/win32/dialog_window.h"
#include "support/dialog_template_reader.h"
#include "support/scripted_dialogs.h"

namespace qclr::platform {
namespace {

// The user's answer to an open-file dialog: a name, or a cancel.
struct FileAnswer {
  bool chosen;
  std::string name;
};

// What the user keeps of a dialog it plays, beside the library's record.
struct PlayedDialog {
  bool layoutRead = false;
  DialogTemplate layout;
  std::deque<FileAnswer> fileAnswers;
  std::vector<OpenFileShown> fileDialogs;
};

// The dialogs being played on this thread (a dialog's script may open another).
thread_local std::map<const DialogWindow*, PlayedDialog> gPlayed;

PlayedDialog& Played(const DialogWindow* dialog) { return gPlayed[dialog]; }

std::string WindowText(HWND window) {
  if (window == nullptr) return std::string();
  std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<size_t>(std::max(GetWindowTextA(window, text.data(), static_cast<int>(text.size())), 0)));
  return text;
}

std::string ClassName(HWND window) {
  char name[64];
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, static_cast<size_t>(std::max(length, 0)));
}

// ---- Answering the system's open-file dialog -----------------------------------

// What a timer of the thread does while GetOpenFileNameA runs its own modal loop:
// finds the open-file dialog that the settings dialog owns, types the answer into
// its file-name box and presses Open (or Cancel), and answers the questions the
// system asks on the way (create the file?). A name the system refuses ends in a
// cancel, so that a test never waits for a person.
struct OpenFilePlay {
  DialogWindow* owner = nullptr;
  FileAnswer answer{false, std::string()};
  UINT_PTR timer = 0;
  bool entered = false;
  int ticksSinceEntered = 0;
};
thread_local OpenFilePlay gPlay;

struct OwnedDialogSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<OwnedDialogSearch*>(context);
  if (GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window) && ClassName(window) == "#32770") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND OwnedDialog(HWND owner) {
  OwnedDialogSearch search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void CALLBACK PlayOpenFileTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND files = OwnedDialog(gPlay.owner->window);
  if (files == nullptr) return;
  if (HWND question = OwnedDialog(files)) {
    // Yes to "create it?"; OK to a refusal, after which the dialog is cancelled.
    Press(question, GetDlgItem(question, IDYES) != nullptr ? IDYES : IDOK);
    return;
  }
  if (gPlay.entered) {
    if (++gPlay.ticksSinceEntered > 20) Press(files, IDCANCEL);
    return;
  }
  gPlay.entered = true;
  // The title the user sees.
  std::vector<OpenFileShown>& shown = Played(gPlay.owner).fileDialogs;
  if (!shown.empty()) shown.back().title = WindowText(files);
  if (!gPlay.answer.chosen) return Press(files, IDCANCEL);
  HWND nameBox = GetDlgItem(files, cmb13);
  if (nameBox == nullptr) nameBox = GetDlgItem(files, edt1);
  if (nameBox == nullptr) return Press(files, IDCANCEL);
  SetWindowTextA(nameBox, gPlay.answer.name.c_str());
  Press(files, IDOK);
}

// Starts answering the system's open-file dialog that `owner` is about to show,
// with the next answer waiting (a cancel when none is).
void PlayNextOpenFileAnswer(DialogWindow* owner, const OpenFileRequest& request) {
  const auto text = [](const char* s) { return std::string(s == nullptr ? "" : s); };
  PlayedDialog& played = Played(owner);
  played.fileDialogs.push_back(OpenFileShown{text(request.title), text(request.filterName),
                                             text(request.filterPattern), text(request.defaultExtension),
                                             request.options});
  gPlay = OpenFilePlay{};
  gPlay.owner = owner;
  if (!played.fileAnswers.empty()) {
    gPlay.answer = played.fileAnswers.front();
    played.fileAnswers.pop_front();
  }
  gPlay.timer = SetTimer(nullptr, 0, 20, PlayOpenFileTick);
}

// Stops once GetOpenFileNameA has returned.
void StopOpenFileAnswer() {
  if (gPlay.timer != 0) KillTimer(nullptr, gPlay.timer);
  gPlay = OpenFilePlay{};
}

// ---- The controls ---------------------------------------------------------------

// Moves the focus as a click or the Tab key does; the controls notify.
void MoveFocus(DialogWindow* dialog, HWND control) {
  if (GetFocus() != control) SendMessageA(dialog->window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

// The class of a control's window, as the user sees it.
ControlKind KindOfControl(HWND control) {
  if (control == nullptr) return ControlKind::kUnknown;
  DialogItem item;
  item.style = static_cast<uint32_t>(GetWindowLongA(control, GWL_STYLE));
  const std::string name = ClassName(control);
  const auto is = [&](const char* other) { return lstrcmpiA(name.c_str(), other) == 0; };
  if (is(WC_BUTTONA)) item.classAtom = kClassButton;
  else if (is(WC_EDITA)) item.classAtom = kClassEdit;
  else if (is(WC_STATICA)) item.classAtom = kClassStatic;
  else if (is(WC_COMBOBOXA)) item.classAtom = kClassComboBox;
  else item.className = name;
  return KindOfItem(item);
}

// Plays the script installed when a dialog is shown, and answers the open-file
// dialogs that the script's actions open.
class ScriptPlayer final : public DialogObserver {
 public:
  void DialogShown(DialogWindow* dialog) override {
    const DialogScript script = CurrentDialogScript();
    if (script) {
      DialogUser user(dialog);
      script(user);
    }
    // A script that leaves the dialog open is followed by the close command (as
    // the Escape key sends it); a dialog that stays open even then ends with it.
    if (!dialog->ended) {
      SendMessageA(dialog->window, WM_COMMAND, MAKEWPARAM(kCloseCommandId, BN_CLICKED), 0);
    }
    if (!dialog->ended) EndDialog(dialog, kCloseCommandId);
    gPlayed.erase(dialog);
  }
  void OpenFileStarting(DialogWindow* owner, const OpenFileRequest& request) override {
    PlayNextOpenFileAnswer(owner, request);
  }
  void OpenFileEnded(DialogWindow*) override { StopOpenFileAnswer(); }
};

ScriptPlayer gPlayer;

}  // namespace

void InstallScriptPlayer(bool installed) { InstallDialogObserver(installed ? &gPlayer : nullptr); }

int32_t DialogUser::TemplateId() const { return dialog_->templateId; }
void* DialogUser::OwnerWindow() const { return dialog_->owner; }
bool DialogUser::Ended() const { return dialog_->ended; }

const DialogTemplate& DialogUser::Layout() const {
  PlayedDialog& played = Played(dialog_);
  if (!played.layoutRead) {
    played.layoutRead = true;
    ResourceBytes resource{};
    if (FindLibraryResource(kDialogResourceType, dialog_->templateId, &resource) == kErrorSuccess) {
      ReadDialogTemplate(resource.data, resource.size, &played.layout);
    }
  }
  return played.layout;
}

bool DialogUser::IsEnabled(int32_t id) const {
  HWND c = dialog_->Control(id);
  return c != nullptr && IsWindowEnabled(c);
}

std::string DialogUser::Text(int32_t id) const {
  HWND c = dialog_->Control(id);
  return KindOfControl(c) == ControlKind::kDropDownList ? std::string() : WindowText(c);
}

std::vector<std::string> DialogUser::Entries(int32_t id) const {
  std::vector<std::string> texts;
  HWND c = dialog_->Control(id);
  if (KindOfControl(c) != ControlKind::kDropDownList) return texts;
  const LRESULT count = SendMessageA(c, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::string text(static_cast<size_t>(SendMessageA(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, '\0');
    SendMessageA(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(text.size() - 1);
    texts.push_back(text);
  }
  return texts;
}

bool DialogUser::IsChecked(int32_t id) const {
  HWND c = dialog_->Control(id);
  return c != nullptr && SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int32_t DialogUser::FocusedControl() const {
  HWND focus = GetFocus();
  if (focus == nullptr || dialog_->window == nullptr || !IsChild(dialog_->window, focus)) return 0;
  while (GetParent(focus) != dialog_->window) focus = GetParent(focus);  // a combo box's own edit
  return GetDlgCtrlID(focus);
}

int32_t DialogUser::UpDownPosition(int32_t id) const {
  HWND c = dialog_->Control(id);
  return KindOfControl(c) == ControlKind::kUpDown ? static_cast<int32_t>(SendMessageA(c, UDM_GETPOS32, 0, 0)) : 0;
}

bool DialogUser::Choose(int32_t id, const std::string& entry) {
  HWND c = dialog_->Control(id);
  if (dialog_->ended || c == nullptr || !IsWindowEnabled(c) || KindOfControl(c) != ControlKind::kDropDownList) {
    return false;
  }
  const std::vector<std::string> entries = Entries(id);
  const auto found = std::find(entries.begin(), entries.end(), entry);
  if (found == entries.end()) return false;
  MoveFocus(dialog_, c);
  if (dialog_->ended) return true;
  const auto index = static_cast<LRESULT>(found - entries.begin());
  if (SendMessageA(c, CB_GETCURSEL, 0, 0) == index) return true;
  // A pick from the open list: the list shows the entry and tells its dialog.
  SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(dialog_->window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
  return true;
}

bool DialogUser::Click(int32_t id) {
  HWND c = dialog_->Control(id);
  const ControlKind kind = KindOfControl(c);
  const bool pressable =
      kind == ControlKind::kPushButton || kind == ControlKind::kCheckBox || kind == ControlKind::kRadioButton;
  if (dialog_->ended || c == nullptr || !IsWindowEnabled(c) || !pressable) return false;
  MoveFocus(dialog_, c);
  if (dialog_->ended) return true;
  // The button presses itself as under the mouse: it ticks, takes the focus and
  // tells its dialog.
  SendMessageA(c, BM_CLICK, 0, 0);
  return true;
}

bool DialogUser::Type(int32_t id, const std::string& text) {
  HWND c = dialog_->Control(id);
  if (dialog_->ended || c == nullptr || !IsWindowEnabled(c) || KindOfControl(c) != ControlKind::kEdit ||
      (GetWindowLongA(c, GWL_STYLE) & ES_READONLY) != 0) {
    return false;
  }
  MoveFocus(dialog_, c);
  if (dialog_->ended) return true;
  const auto limit = static_cast<size_t>(SendMessageA(c, EM_GETLIMITTEXT, 0, 0));
  SetWindowTextA(c, text.substr(0, limit).c_str());
  return true;
}

void DialogUser::AnswerNextOpenFile(const std::string& name) { Played(dialog_).fileAnswers.push_back({true, name}); }

void DialogUser::CancelNextOpenFile() { Played(dialog_).fileAnswers.push_back({false, std::string()}); }

const std::vector<OpenFileShown>& DialogUser::OpenFileDialogs() const { return Played(dialog_).fileDialogs; }

}  // namespace qclr::platform
