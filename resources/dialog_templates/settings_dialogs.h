// The two colour settings dialogs as the library ships them: every control with
// its id, class, style, text and place, in tab order. The binary templates of every
// platform are made from these descriptions.
#pragma once

#include "platform/dialog_template.h"

namespace qclr::resources {

platform::DialogTemplate CmykSettingsDialog();  // template 114
platform::DialogTemplate LabSettingsDialog();   // template 128

}  // namespace qclr::resources
