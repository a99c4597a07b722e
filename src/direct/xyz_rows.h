// Rows of the CSP_XYZ kernels: RGB bytes to three little-endian doubles a pixel
// (24 bytes) and back.
//
// The portable rows are the definition (xyz_kernels.cpp); the SSE2, AVX2 and
// AVX-512 rows do the same double operations in the same order on 2, 4 or 8
// pixels at once (a division stays a division, no fused multiply-add), so they
// give the same bits.
#pragma once

#include <cstdint>

#include "base/rgb_positions.h"
#include "base/row_variants.h"

namespace qclr::xyz {

using XyzRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);

void RgbToXyzRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void XyzToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
#if QCLR_X86_SIMD
void RgbToXyzRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void XyzToRgbRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void RgbToXyzRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void XyzToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void XyzToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
#endif

inline constexpr RowVariants<XyzRow> kRgbToXyzRows = {
    .portable = RgbToXyzRowPortable,
#if QCLR_X86_SIMD
    .sse2 = RgbToXyzRowSse2,
    .avx2 = RgbToXyzRowAvx2,
#endif
};

inline constexpr RowVariants<XyzRow> kXyzToRgbRows = {
    .portable = XyzToRgbRowPortable,
#if QCLR_X86_SIMD
    .sse2 = XyzToRgbRowSse2,
    .avx2 = XyzToRgbRowAvx2,
    .avx512 = XyzToRgbRowAvx512,
#endif
};

}  // namespace qclr::xyz
