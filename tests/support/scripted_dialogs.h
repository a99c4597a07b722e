// The user of the tests' in-memory dialog manager. There is no screen: a dialog's
// controls live in memory, made from the template resource, and a test installs a
// script that plays the user (which installs the in-memory manager into the POSIX
// layer). RunModalDialog initialises the dialog, hands it to the script, and
// returns once the dialog has ended. A script that leaves the dialog
// open is followed by the close command (as the Escape key sends it); a dialog
// that stays open even then ends with that command's value. Without a script
// there is no user interface and no dialog can be created.
//
// On Windows the same user plays the dialogs of the system's dialog manager
// (scripted_system_dialogs.cpp, installed as the dialog manager's observer while
// a script is); those dialogs exist also without a script and then wait for a
// person.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/platform.h"

namespace qclr::platform {

enum class ControlKind {
  kLabel,
  kGroupBox,
  kPushButton,  // the default button too (see IsDefaultButton)
  kCheckBox,
  kRadioButton,
  kEdit,
  kDropDownList,
  kUpDown,
  kUnknown
};

// What the manager makes of a template item.
ControlKind KindOfItem(const DialogItem& item);

// An open-file dialog as it was shown.
struct OpenFileShown {
  std::string title;
  std::string filterName;
  std::string filterPattern;
  std::string defaultExtension;
  uint32_t options;
};

// The dialog as the user sees it, and what the user can do with it. The actions
// return false, and do nothing, when the dialog has ended or the control is
// missing, disabled or of the wrong kind.
class DialogUser {
 public:
  explicit DialogUser(DialogWindow* dialog) : dialog_(dialog) {}

  int32_t TemplateId() const;
  void* OwnerWindow() const;
  const DialogTemplate& Layout() const;  // as read from the resource
  bool Ended() const;

  bool IsEnabled(int32_t id) const;
  std::string Text(int32_t id) const;
  std::vector<std::string> Entries(int32_t id) const;  // a list's entries, in order
  bool IsChecked(int32_t id) const;
  int32_t FocusedControl() const;  // its id; 0 when no control has the focus
  int32_t UpDownPosition(int32_t id) const;

  // Opens the list and picks the entry with this text.
  bool Choose(int32_t id, const std::string& entry);
  // Presses a button, check box or radio button (which also takes the focus).
  bool Click(int32_t id);
  // Replaces the text of an editable box, cut to its limit.
  bool Type(int32_t id, const std::string& text);

  // The answer to the next open-file dialog: the name typed or picked, or a
  // cancel. A dialog shown without an answer waiting is cancelled.
  void AnswerNextOpenFile(const std::string& name);
  void CancelNextOpenFile();
  const std::vector<OpenFileShown>& OpenFileDialogs() const;

 private:
  DialogWindow* dialog_;
};

using DialogScript = std::function<void(DialogUser& user)>;

// Installs the script every later dialog runs (an empty one removes it).
void SetDialogScript(DialogScript script);

// The script installed by SetDialogScript (empty when there is none).
DialogScript CurrentDialogScript();

// The platform's part (scripted_dialogs.cpp on POSIX, scripted_system_dialogs.cpp
// on Windows): puts the player of the scripts in place, or takes it away.
void InstallScriptPlayer(bool installed);

}  // namespace qclr::platform
