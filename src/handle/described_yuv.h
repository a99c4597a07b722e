// Decoding of a caller-described YUV layout (a YuvLayout record) into RGB.
//
// Packed layouts store the image as groups of n = groupPixels pixels sharing
// chroma samples; sampleOffsets lists the byte offsets within a group of the n Y
// samples, then the n / uStepX U samples, then the n / vStepX V samples. Groups
// follow one another pixel after pixel through the image, across row ends.
// Planar layouts store a Y plane of width x height bytes and U and V planes of
// (width x height) / (stepX x stepY) bytes, one after another in the order given
// by the plane-order code sampleOffsets[0]:
//   0 Y U V   1 Y V U   2 U Y V   3 U V Y   4 V Y U   5 V U Y
#pragma once

#include <cstdint>

#include "qclr/qclr.h"

namespace qclr {

// True when the layout describes something: every step at least 1 and an offsets
// array; for a planar layout a plane-order code 0..5; for a packed layout
// groupPixels at least 1 and a multiple of uStepX and of vStepX (so every pixel of
// a group has its own entries), a group size that fits 32 bits, and every offset
// inside the group (0 .. PackedGroupBytes - 1). Reads the offsets array.
bool YuvLayoutIsMeaningful(const YuvLayout& layout);

// Bytes of one packed group: n + n / uStepX + n / vStepX, the number of samples it
// holds. Only for layouts that YuvLayoutIsMeaningful accepts.
int32_t PackedGroupBytes(const YuvLayout& layout);

// Entries of the sampleOffsets array the decoder reads: 1 for a planar layout (the
// plane order), n + n / uStepX + n / vStepX for a packed one; 0 when the group size
// or a horizontal step of a packed layout is below 1. Does not read the array.
int64_t YuvLayoutOffsetEntries(const YuvLayout& layout);

// An upper bound of the source bytes DescribedYuvToRgb reads for this size (it
// reads within them whenever it converts): packed, the groups plus the padding of
// every row but the last; planar, the three planes. Only for layouts that
// YuvLayoutIsMeaningful accepts and sizes of at least 1 x 1.
uint64_t DescribedYuvSourceBytes(const YuvLayout& layout, int32_t width, int32_t height,
                                 int32_t inAlign);

// CSP_YUV in the described layout -> RGB side (rows of 3 x width bytes, padded for
// outAlign; R first when rgbOrder is 1, B first when 0). Packed sources skip, after
// every image row, the padding of a row of 3 x width bytes for inAlign; planar
// sources have no padding. Returns CLR_ERR_PARAM and writes nothing when the layout
// is not meaningful, when width or height is below 1, when a packed layout has a
// vertical step other than 1 or the image is not a whole number of its groups
// (width x height not a multiple of groupPixels), when neither vertical step
// divides the other or neither horizontal step divides the other, when a planar
// source has inAlign above 1, or when the image size would take a planar chroma
// walk outside its plane. CLR_OK otherwise.
int32_t DescribedYuvToRgb(const YuvLayout& layout, const uint8_t* src, uint8_t* dst,
                          int32_t width, int32_t height, int32_t inAlign, int32_t outAlign,
                          int32_t rgbOrder);

}  // namespace qclr
