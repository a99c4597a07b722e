// The dialog-manager calls of the platform layer over the system's dialog manager:
// modal dialogs made from the library's templates, the standard controls, the
// up-down control of the common controls, and the open-file dialog.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/win32/dialog_observer.h"
#include "platform/win32/dialog_window.h"
#include "platform/win32/module_handle.h"

namespace qclr::platform {
namespace {

// Posted to a dialog once it is shown, when an observer is to be told.
constexpr UINT kDialogShownMessage = WM_APP + 1;

std::atomic<DialogObserver*> gObserver{nullptr};

DialogWindow* DialogOf(HWND window) {
  return reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, DWLP_USER));
}

bool ClassIs(HWND control, const char* name) {
  char found[32];
  return GetClassNameA(control, found, sizeof found) > 0 && lstrcmpiA(found, name) == 0;
}

// The notice behind a control's notification code, which each class numbers its
// own way.
ControlNotice NoticeOf(HWND control, WORD code) {
  if (control == nullptr) return ControlNotice::kClicked;  // Enter, Escape, the close box
  if (ClassIs(control, WC_COMBOBOXA)) {
    switch (code) {
      case CBN_SELCHANGE: return ControlNotice::kSelectionChanged;
      case CBN_SETFOCUS: return ControlNotice::kFocusGained;
      case CBN_KILLFOCUS: return ControlNotice::kFocusLost;
      default: return ControlNotice::kOther;
    }
  }
  if (ClassIs(control, WC_EDITA)) {
    switch (code) {
      case EN_CHANGE: return ControlNotice::kTextChanged;
      case EN_SETFOCUS: return ControlNotice::kFocusGained;
      case EN_KILLFOCUS: return ControlNotice::kFocusLost;
      default: return ControlNotice::kOther;
    }
  }
  if (ClassIs(control, WC_BUTTONA)) {
    switch (code) {
      case BN_CLICKED: return ControlNotice::kClicked;
      case BN_SETFOCUS: return ControlNotice::kFocusGained;
      case BN_KILLFOCUS: return ControlNotice::kFocusLost;
      default: return ControlNotice::kOther;
    }
  }
  return ControlNotice::kOther;
}

INT_PTR CALLBACK SystemDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<DialogWindow*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    dialog->window = window;
    dialog->procedure(dialog, DialogMessage{DialogMessageKind::kInitialise, 0, ControlNotice::kOther},
                      dialog->context);
    if (dialog->observer != nullptr) PostMessageA(window, kDialogShownMessage, 0, 0);
    return TRUE;  // the focus goes to the first enabled tab stop
  }
  DialogWindow* dialog = DialogOf(window);
  if (dialog == nullptr) return FALSE;
  if (message == WM_COMMAND) {
    if (dialog->ended) return TRUE;
    const int32_t id = LOWORD(wParam);
    const auto control = reinterpret_cast<HWND>(lParam);
    dialog->procedure(dialog, DialogMessage{DialogMessageKind::kCommand, id, NoticeOf(control, HIWORD(wParam))},
                      dialog->context);
    return TRUE;
  }
  if (message == kDialogShownMessage) {
    if (!dialog->ended) dialog->observer->DialogShown(dialog);
    return TRUE;
  }
  return FALSE;
}

void LoadCommonControls() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
}

}  // namespace

void InstallDialogObserver(DialogObserver* observer) { gObserver.store(observer, std::memory_order_release); }

int32_t RunModalDialog(int32_t templateId, void* ownerWindow, DialogProcedure procedure, void* context) {
  if (procedure == nullptr) return kDialogNotCreated;
  LoadCommonControls();
  DialogWindow dialog;
  dialog.templateId = templateId;
  dialog.owner = ownerWindow;
  dialog.procedure = procedure;
  dialog.context = context;
  dialog.observer = gObserver.load(std::memory_order_acquire);
  const INT_PTR result =
      DialogBoxParamA(LibraryModule(), MAKEINTRESOURCEA(templateId), static_cast<HWND>(ownerWindow),
                      SystemDialogProcedure, reinterpret_cast<LPARAM>(&dialog));
  // The system reports a failure as -1, or as 0 for an owner that is no window.
  if (dialog.window == nullptr || result == -1) return kDialogNotCreated;
  return static_cast<int32_t>(result);
}

void EndDialog(DialogWindow* dialog, int32_t result) {
  if (dialog == nullptr || dialog->ended) return;
  dialog->ended = true;
  dialog->result = result;
  ::EndDialog(dialog->window, result);
}

void EnableControl(DialogWindow* dialog, int32_t controlId, bool enabled) {
  if (HWND c = dialog->Control(controlId)) EnableWindow(c, enabled ? TRUE : FALSE);
}

void SetControlText(DialogWindow* dialog, int32_t controlId, const char* text) {
  if (HWND c = dialog->Control(controlId)) SetWindowTextA(c, text == nullptr ? "" : text);
}

size_t GetControlText(DialogWindow* dialog, int32_t controlId, char* text, size_t capacity) {
  HWND c = dialog->Control(controlId);
  if (capacity > 0) text[0] = '\0';
  if (c == nullptr) return 0;
  const int length = GetWindowTextLengthA(c);
  if (capacity > 0) {
    std::string whole(static_cast<size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(c, whole.data(), length + 1);
    const size_t kept = std::min(static_cast<size_t>(copied < 0 ? 0 : copied), capacity - 1);
    std::memcpy(text, whole.data(), kept);
    text[kept] = '\0';
  }
  return static_cast<size_t>(length);
}

void LimitControlText(DialogWindow* dialog, int32_t controlId, int32_t characters) {
  HWND c = dialog->Control(controlId);
  if (c != nullptr && characters > 0 && ClassIs(c, WC_EDITA)) SendMessageA(c, EM_LIMITTEXT, characters, 0);
}

void FocusControl(DialogWindow* dialog, int32_t controlId) {
  HWND c = dialog->Control(controlId);
  if (c != nullptr && IsWindowEnabled(c)) SendMessageA(dialog->window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c), TRUE);
}

void AddListEntry(DialogWindow* dialog, int32_t controlId, const char* text, int32_t value) {
  HWND c = dialog->Control(controlId);
  if (c == nullptr || !ClassIs(c, WC_COMBOBOXA)) return;
  // A list with the sorted style puts the entry in its place itself.
  const LRESULT index = SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text == nullptr ? "" : text));
  if (index >= 0) SendMessageA(c, CB_SETITEMDATA, static_cast<WPARAM>(index), value);
}

void SelectListValue(DialogWindow* dialog, int32_t controlId, int32_t value) {
  HWND c = dialog->Control(controlId);
  if (c == nullptr) return;
  const LRESULT count = SendMessageA(c, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    if (static_cast<int32_t>(SendMessageA(c, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == value) {
      SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    }
  }
}

int32_t SelectedListValue(DialogWindow* dialog, int32_t controlId, int32_t none) {
  HWND c = dialog->Control(controlId);
  if (c == nullptr) return none;
  const LRESULT index = SendMessageA(c, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return none;
  return static_cast<int32_t>(SendMessageA(c, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void CheckButton(DialogWindow* dialog, int32_t controlId, bool checked) {
  HWND c = dialog->Control(controlId);
  if (c == nullptr || !ClassIs(c, WC_BUTTONA)) return;
  const LONG type = GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK;
  SendMessageA(c, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (!checked || (type != BS_AUTORADIOBUTTON && type != BS_RADIOBUTTON)) return;
  // The other radio buttons of the group go out, as when the user picks one.
  for (HWND other = GetNextDlgGroupItem(dialog->window, c, FALSE); other != nullptr && other != c;
       other = GetNextDlgGroupItem(dialog->window, other, FALSE)) {
    const LONG otherType = GetWindowLongA(other, GWL_STYLE) & BS_TYPEMASK;
    if (otherType == BS_AUTORADIOBUTTON || otherType == BS_RADIOBUTTON) {
      SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
}

bool IsButtonChecked(DialogWindow* dialog, int32_t controlId) {
  HWND c = dialog->Control(controlId);
  return c != nullptr && SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetUpDownRange(DialogWindow* dialog, int32_t controlId, int32_t low, int32_t high) {
  HWND c = dialog->Control(controlId);
  if (c != nullptr && ClassIs(c, UPDOWN_CLASSA)) SendMessageA(c, UDM_SETRANGE32, low, high);
}

void SetUpDownPosition(DialogWindow* dialog, int32_t controlId, int32_t position) {
  HWND c = dialog->Control(controlId);
  if (c != nullptr && ClassIs(c, UPDOWN_CLASSA)) SendMessageA(c, UDM_SETPOS32, 0, position);
}

bool ShowOpenFileDialog(DialogWindow* owner, const OpenFileRequest& request, char* fileName, size_t capacity) {
  if (owner == nullptr || fileName == nullptr || capacity == 0) return false;
  const auto text = [](const char* s) { return std::string(s == nullptr ? "" : s); };
  // One filter: its name and pattern, each zero-terminated, and an empty string.
  std::string filter = text(request.filterName);
  filter += '\0';
  filter += text(request.filterPattern);
  filter += '\0';
  std::string chosen(capacity, '\0');  // starts empty; the caller's buffer changes only on success
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner->window;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = static_cast<DWORD>(capacity);
  dialog.lpstrTitle = request.title;
  dialog.lpstrDefExt = request.defaultExtension;
  dialog.Flags = request.options;
  if (owner->observer != nullptr) owner->observer->OpenFileStarting(owner, request);
  const BOOL picked = GetOpenFileNameA(&dialog);
  if (owner->observer != nullptr) owner->observer->OpenFileEnded(owner);
  if (!picked) return false;
  chosen.resize(std::strlen(chosen.c_str()));
  // A name chosen without an extension gets the default one. The system's dialog
  // should add it, but not every implementation of it does.
  const size_t base = chosen.find_last_of("\\/") + 1;
  if (chosen.find('.', base) == std::string::npos && request.defaultExtension != nullptr &&
      request.defaultExtension[0] != '\0') {
    chosen += '.';
    chosen += request.defaultExtension;
  }
  if (chosen.size() + 1 > capacity) return false;
  std::memcpy(fileName, chosen.c_str(), chosen.size() + 1);
  return true;
}

}  // namespace qclr::platform
