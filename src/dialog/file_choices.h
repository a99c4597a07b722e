// The "..." buttons of the settings dialogs: each opens the system's open-file
// dialog for one file of the choice and shows the chosen name beside it.
#pragma once

#include "dialog/dialog_records.h"
#include "platform/platform.h"

namespace qclr::dialog {

// When `button` is a browse button of the state's dialog, asks for its file; a
// file chosen goes into its field of the working parameters and into the box
// beside the button; a cancel changes nothing. False when `button` is not one.
bool BrowseForFile(platform::DialogWindow* dialog, ClrDlgState& state, int32_t button);

}  // namespace qclr::dialog
