// CSP_YCCK: a CMYK colour whose inverted inks (255 - C, 255 - M, 255 - Y) are
// stored as JFIF YCbCr, with K unchanged. Each direction has an RGB/CMYK step and a
// table-driven CMYK/YCCK step. These are the built-in formulas of both routes; on
// the handle route an ICC transform may take the RGB/CMYK step's place
// (handle/ycck_conversion.h).
#pragma once

#include <cstdint>

#include "base/row_variants.h"

namespace qclr {

struct YccTables;

// RGB side (rows of 3 x width bytes) -> CSP_YCCK (rows of 4 x width bytes): full
// undercolour removal into a packed CMYK intermediate, then the library-wide
// tables, which alone hold the RGB to YCbCr part. The intermediate holds one row
// at a time.
int32_t RgbToYcck(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

// CSP_YCCK -> RGB side: the YCbCr part of `tables` (a handle's own, or the
// library-wide ones) into a packed CMYK intermediate of one row, then the MulDiv
// ink product in the definition of the processor level.
int32_t YcckToRgb(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width,
                  int32_t height, int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

// The table-driven steps between CMYK and YCCK, 4 bytes a pixel on both sides.
int32_t CmykToYcck(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width,
                   int32_t height, int32_t inAlign, int32_t outAlign);
int32_t YcckToCmyk(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width,
                   int32_t height, int32_t inAlign, int32_t outAlign);

// Row functions of the built-in steps. The packed CMYK to RGB row works on 8 pixels
// at a time in 16-bit lanes, 255 - (x - ((x * K) >> 8) + K) saturated at 0, and
// finishes the width mod 8 pixels with the MulDiv formula
// 255 - (x + K - MulDiv(x, K, 255)); the two agree within 2 levels. The portable
// rows are the definitions; the vector rows (ycck_rows_*.cpp) give their bytes.
using InkRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void RgbToCmykFullRemovalRow(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmykToRgbMulDivRow(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmykToRgbMulDivRowPacked(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);

// One pixel of the packed arithmetic: the reference for the vector code.
void CmykToRgbShiftPixel(const uint8_t* cmyk, uint8_t* rgb, int32_t rgbOrder);

// One row of the table steps, 4 bytes a pixel on both sides.
using YccTableRow = void (*)(const YccTables& tables, const uint8_t* src, uint8_t* dst,
                             int32_t width);
void CmykToYcckRow(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width);
void YcckToCmykRow(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width);

#if QCLR_X86_SIMD
void RgbToCmykFullRemovalRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmykToRgbMulDivRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmykToRgbMulDivRowPackedSse2(const uint8_t* src, uint8_t* dst, int32_t width,
                                  int32_t rgbOrder);
void CmykToRgbMulDivRowPackedAvx2(const uint8_t* src, uint8_t* dst, int32_t width,
                                  int32_t rgbOrder);
void CmykToYcckRowAvx2(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width);
void YcckToCmykRowAvx2(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width);
void RgbToCmykFullRemovalRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width,
                                   int32_t rgbOrder);
void CmykToRgbMulDivRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmykToRgbMulDivRowPackedAvx512(const uint8_t* src, uint8_t* dst, int32_t width,
                                    int32_t rgbOrder);
void CmykToYcckRowAvx512(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width);
void YcckToCmykRowAvx512(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width);
#endif

inline constexpr RowVariants<InkRow> kRgbToCmykFullRemovalRows = {
    .portable = RgbToCmykFullRemovalRow,
#if QCLR_X86_SIMD
    .avx2 = RgbToCmykFullRemovalRowAvx2,
    .avx512 = RgbToCmykFullRemovalRowAvx512,
#endif
};
inline constexpr RowVariants<InkRow> kCmykToRgbMulDivRows = {
    .portable = CmykToRgbMulDivRow,
#if QCLR_X86_SIMD
    .avx2 = CmykToRgbMulDivRowAvx2,
    .avx512 = CmykToRgbMulDivRowAvx512,
#endif
};
inline constexpr RowVariants<InkRow> kCmykToRgbMulDivPackedRows = {
    .portable = CmykToRgbMulDivRowPacked,
#if QCLR_X86_SIMD
    .sse2 = CmykToRgbMulDivRowPackedSse2,
    .avx2 = CmykToRgbMulDivRowPackedAvx2,
    .avx512 = CmykToRgbMulDivRowPackedAvx512,
#endif
};
// The vector rows compute the table entries from the weights the tables are built
// from (conversion_tables.cpp), for the library-wide tables and a handle's copy
// alike.
inline constexpr RowVariants<YccTableRow> kCmykToYcckRows = {
    .portable = CmykToYcckRow,
#if QCLR_X86_SIMD
    .avx2 = CmykToYcckRowAvx2,
    .avx512 = CmykToYcckRowAvx512,
#endif
};
inline constexpr RowVariants<YccTableRow> kYcckToCmykRows = {
    .portable = YcckToCmykRow,
#if QCLR_X86_SIMD
    .avx2 = YcckToCmykRowAvx2,
    .avx512 = YcckToCmykRowAvx512,
#endif
};

}  // namespace qclr
