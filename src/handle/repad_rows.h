// Spreading tightly packed rows in place to their padded positions.
#pragma once

#include <cstdint>

namespace qclr {

// The buffer holds `height` rows of width x bytesPerPixel bytes back to back;
// afterwards row i starts where the padding rule for outAlign puts it. Rows move
// from the last to the first, so each is read before anything is written over it,
// and no row buffer is needed. Padding bytes are not written.
void RepadRows(uint8_t* buffer, int32_t height, int32_t width, int32_t bytesPerPixel,
               int32_t outAlign);

}  // namespace qclr
