// Rows of the HSI kernels and the tables of their fast implementations.
//
// The portable rows are the definition (hsi_kernels.cpp): an arc cosine a pixel
// in the encoder, two cosines in the decoder. The fast rows give the same bytes:
//  - the encoder's hue byte depends on R - G and R - B alone (its single-precision
//    n and m are exact integers and halves of them), so it is a table of the
//    511 x 511 differences, built with the exact function; I and S are computed
//    with the same single-precision operations;
//  - the decoder's cosines depend on the hue byte alone: two tables of 256 values
//    of the exact function, then the same double operations.
// bench/exhaustive_check compares every implementation with the portable rows
// over all 2^24 inputs.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/rgb_positions.h"
#include "base/row_variants.h"

namespace qclr::hsi {

using HsiRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);

struct Tables {
  // The hue byte before mirroring at (R - G + 255) x 511 + R - B + 255, and 3
  // bytes more so that 4-byte loads at any entry stay inside.
  std::vector<uint8_t> hue;
  std::array<double, 256> cosHue;    // cos h of each hue byte
  std::array<double, 256> cosShift;  // cos of the angle h is measured against
};
const Tables& GetTables();

inline int32_t HueIndex(int32_t redMinusGreen, int32_t redMinusBlue) {
  return (redMinusGreen + 255) * 511 + redMinusBlue + 255;
}

void RgbToHsiRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HsiToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
// One pixel at a time with the tables.
void RgbToHsiRowTables(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HsiToRgbRowTables(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
#if QCLR_X86_SIMD
void RgbToHsiRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void HsiToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
#endif

inline constexpr RowVariants<HsiRow> kRgbToHsiRows = {
    .portable = RgbToHsiRowPortable,
#if QCLR_X86_SIMD
    .sse2 = RgbToHsiRowTables,
    .avx2 = RgbToHsiRowAvx2,
#endif
};

inline constexpr RowVariants<HsiRow> kHsiToRgbRows = {
    .portable = HsiToRgbRowPortable,
#if QCLR_X86_SIMD
    .sse2 = HsiToRgbRowTables,
    .avx2 = HsiToRgbRowAvx2,
#endif
};

}  // namespace qclr::hsi
