// Rows of the HSV and HLS kernels.
//
// The portable rows are the definition (hsv_hls_kernels.cpp). The SSE2, AVX2 and
// AVX-512 rows run the same integer arithmetic on 4, 8 or 16 pixels at once
// (hue_lanes.h); bench/exhaustive_check compares them with the portable rows over
// all 2^24 inputs. The HSI rows are in hsi_rows.h.
#pragma once

#include <cstdint>

#include "base/rgb_positions.h"
#include "base/row_variants.h"

namespace qclr::hue {

using HueRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);

void RgbToHsvRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HsvToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void RgbToHlsRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HlsToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
#if QCLR_X86_SIMD
void RgbToHsvRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HsvToRgbRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void RgbToHlsRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HlsToRgbRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void RgbToHsvRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HsvToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void RgbToHlsRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HlsToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void RgbToHsvRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HsvToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void RgbToHlsRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HlsToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
#endif

#if QCLR_X86_SIMD
#define QCLR_HUE_ROWS(name) \
  { .portable = name##Portable, .sse2 = name##Sse2, .avx2 = name##Avx2, .avx512 = name##Avx512 }
#else
#define QCLR_HUE_ROWS(name) \
  { .portable = name##Portable }
#endif
inline constexpr RowVariants<HueRow> kRgbToHsvRows = QCLR_HUE_ROWS(RgbToHsvRow);
inline constexpr RowVariants<HueRow> kHsvToRgbRows = QCLR_HUE_ROWS(HsvToRgbRow);
inline constexpr RowVariants<HueRow> kRgbToHlsRows = QCLR_HUE_ROWS(RgbToHlsRow);
inline constexpr RowVariants<HueRow> kHlsToRgbRows = QCLR_HUE_ROWS(HlsToRgbRow);
#undef QCLR_HUE_ROWS

}  // namespace qclr::hue
