// Turning a device-independent bitmap into a caller's BitmapRecord.
#pragma once

#include <cstdint>

#include "handle/dib_header.h"
#include "qclr/qclr.h"

namespace qclr {

// Row stride and storage size of a bitmap of `width` x `height` pixels of
// `bitCount` bits: rows rounded up to a multiple of 4 bytes. False for negative
// sizes and for bitmaps whose row offsets do not fit the record's 32-bit fields.
bool BitmapGeometry(int32_t width, int32_t height, uint32_t bitCount, int32_t* bytesPerLine,
                    uint32_t* dataSize);

// True for the bit counts a record describes: 1 to 8, 12, 16, 24, 32, 48 and 64.
bool BitCountSupported(uint32_t bitCount);

// Fills *bitmap from the DIB `header` and its rows at `bits`, read bytesPerLine
// apart, allocating the record's storage. The record is written only on success:
// on failure it is left as it was and nothing stays allocated.
// CLR_ERR_BITMAP_BITS for an unsupported bit count, CLR_ERR_BITMAP_EMPTY for a
// zero width or height, CLR_ERR_PARAM for null pointers or an unusable geometry,
// the storage statuses otherwise.
int32_t CreateBitmapFromDib(BitmapRecord* bitmap, const DibHeader& header, const uint8_t* bits);

}  // namespace qclr
