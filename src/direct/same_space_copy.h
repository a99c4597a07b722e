// Copying a buffer into another of the same colour space, re-laying its rows for a
// different alignment. Shared by the direct route and conversion handles.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/owned.h"
#include "direct/color_space.h"
#include "qclr/qclr.h"

namespace qclr {

// Copies width x height pixels of `space` from src to dst. Rows are `RowBytes`
// long and padded from `PaddingBaseBytes` (so a CSP_XYZ row keeps all 24 bytes a
// pixel); a CSP_YVU9 buffer is copied whole, without padding. src may equal dst:
// rows that grow are then moved from the last to the first, so no row is
// overwritten before it is read. Destination padding is never written.
void SameSpaceCopy(int32_t space, const uint8_t* src, uint8_t* dst, int32_t width,
                   int32_t height, int32_t inAlign, int32_t outAlign);

// Swaps bytes 0 and 2 of every 3-byte pixel (CSP_RGB <-> CSP_BGR). Each pixel is
// read whole before it is written, so src may equal dst when the layouts agree.
int32_t SwapRgbBgr(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                   int32_t inAlign, int32_t outAlign);

// For a destination that overlaps the source: `convert(temporary)` writes the
// result tightly packed (alignment 0) into a temporary buffer of `space`, which is
// then copied into dst with outAlign, its padding untouched. Returns CLR_ERR_NOMEM
// when the temporary buffer cannot be had, else the conversion's status; dst is
// written only when the conversion succeeds.
template <typename Convert>
int32_t ConvertThroughTemporary(int32_t space, uint8_t* dst, int32_t width, int32_t height,
                                int32_t outAlign, Convert&& convert) {
  size_t bytes = 0;
  if (!BufferBytes(space, width, height, 0, &bytes)) return CLR_ERR_PARAM;
  const MemPtr<uint8_t> temporary = AllocOwned(bytes);
  if (temporary == nullptr) return CLR_ERR_NOMEM;
  const int32_t status = convert(temporary.get());
  if (status == CLR_OK) SameSpaceCopy(space, temporary.get(), dst, width, height, 0, outAlign);
  return status;
}

}  // namespace qclr
