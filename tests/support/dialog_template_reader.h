// Reads a binary dialog template (platform/dialog_template.h) back into its
// description, checking every length against the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/dialog_template.h"

namespace qclr::platform {

// False when the bytes are not a whole template: truncated, a string without its
// terminator, a menu or window class the dialogs never use, or bytes left over.
// UTF-16 characters beyond 0xFF are read as '?'.
bool ReadDialogTemplate(const uint8_t* bytes, size_t size, DialogTemplate* dialog);

}  // namespace qclr::platform
