// CSP_YCCK through a handle's ICC transform: the transform converts between the
// RGB side and CMYK, the table steps of the direct route between CMYK and YCCK.
#pragma once

#include <cstdint>

namespace qclr {

struct ColorTransform;
struct YccTables;

// RGB side -> CSP_YCCK: each source row through the transform (RGB to CMYK) into a
// CMYK row, then the library-wide tables into its place in the destination.
// CLR_ERR_METHOD without a transform, CLR_ERR_COLORSPACE when its pixels are not 3
// bytes in and 4 out, CLR_ERR_NOMEM (nothing written) without memory for the row.
int32_t RgbToYcckByTransform(const ColorTransform* transform, const uint8_t* src, uint8_t* dst,
                             int32_t width, int32_t height, int32_t inAlign, int32_t outAlign);

// CSP_YCCK -> RGB side: each source row through the YCbCr part of `tables` into a
// CMYK row, then through the transform (CMYK to RGB; its formats carry the
// destination's byte order) into its place in the destination. The same statuses.
int32_t YcckToRgbByTransform(const ColorTransform* transform, const YccTables& tables,
                             const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                             int32_t inAlign, int32_t outAlign);

}  // namespace qclr
