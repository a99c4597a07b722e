// Which controls of a settings dialog the user may use: it follows the chosen
// method, the white point and, for the emulation tables of the Lab dialog, the
// chosen direction of the table.
#pragma once

#include "platform/platform.h"
#include "dialog/dialog_records.h"

namespace qclr::dialog {

// True when control `id` is enabled for the state's choice.
bool ControlEnabledFor(const ClrDlgState& state, int32_t id);

// Enables and disables every control the choice governs; the others (labels, OK,
// Cancel, the check boxes, the method box) stay as they are.
void ApplyEnabling(platform::DialogWindow* dialog, const ClrDlgState& state);

}  // namespace qclr::dialog
