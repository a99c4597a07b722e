// An observer of the Windows dialog manager, told when a dialog is on the screen
// and around each open-file dialog it runs. The library installs none and runs
// the same either way; a program that drives the dialogs itself (the tests'
// scripted user) installs one, and acts on the dialogs through the system's
// messages and the calls of platform.h. The Windows counterpart of the POSIX
// layer's InstallDialogManager: the shipped library holds no script of its own.
#pragma once

#include "platform/platform.h"

namespace qclr::platform {

class DialogObserver {
 public:
  virtual ~DialogObserver() = default;

  // The dialog is on the screen: its procedure has handled kInitialise and its
  // modal loop runs (the call comes from that loop, once). The dialog may be
  // ended during the call, and stays open after it unless it was.
  virtual void DialogShown(DialogWindow* dialog) = 0;

  // The system's open-file dialog is about to run over `owner` for `request`,
  // and has closed again; its own modal loop runs between the two calls.
  virtual void OpenFileStarting(DialogWindow* owner, const OpenFileRequest& request) = 0;
  virtual void OpenFileEnded(DialogWindow* owner) = 0;
};

// Installs `observer` for the dialogs created from now on (null: none). It must
// stay alive while a dialog it was installed for is open.
void InstallDialogObserver(DialogObserver* observer);

}  // namespace qclr::platform
