// The dialog procedure shared by the two colour settings dialogs.
#pragma once

#include "platform/platform.h"

namespace qclr::dialog {

// `context` is the dialog's ClrDlgState. Ends the dialog with kIdOk once the typed
// entries are sound, or with kIdCancel.
void SettingsDialogProcedure(platform::DialogWindow* dialog, const platform::DialogMessage& message,
                             void* context);

}  // namespace qclr::dialog
