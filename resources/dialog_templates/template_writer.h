// Serialises a dialog description into the binary dialog-template format
// (platform/dialog_template.h), byte for byte the same on every host.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dialog_template.h"

namespace qclr::resources {

// The template's bytes. Throws std::invalid_argument for what the format cannot
// hold: a text that is not ASCII, a control id outside 0..65535 (other than the
// static id), more than 65535 controls.
std::vector<uint8_t> WriteDialogTemplate(const platform::DialogTemplate& dialog);

}  // namespace qclr::resources
