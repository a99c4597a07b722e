// Rows of the emulation-table lookups. The portable rows are the definition; the
// fast rows compute the node offsets of 8 pixels at once and read the nodes with
// gathers of 4 bytes, the means in 32-bit lanes; they give the portable bytes
// for every pixel and table (bench/exhaustive_check compares them).
#pragma once

#include <cstdint>

#include "base/row_variants.h"

namespace qclr {

// Converts `width` pixels with `table`; rgbOrder as the lookups take it.
using LookupRow = void (*)(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width,
                           int32_t rgbOrder);

void EmuCmykToRgbRowPortable(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width,
                             int32_t rgbOrder);
void EmuRgbToLabRowPortable(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width,
                            int32_t rgbOrder);
void EmuLabToRgbRowPortable(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width,
                            int32_t rgbOrder);
#if QCLR_X86_SIMD
void EmuCmykToRgbRowAvx2(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width, int32_t rgbOrder);
void EmuRgbToLabRowAvx2(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width, int32_t rgbOrder);
void EmuLabToRgbRowAvx2(const uint8_t* src, const uint8_t* table, uint8_t* dst, int32_t width, int32_t rgbOrder);
#endif

inline constexpr RowVariants<LookupRow> kEmuCmykToRgbRows = {
    .portable = EmuCmykToRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = EmuCmykToRgbRowAvx2,
#endif
};

inline constexpr RowVariants<LookupRow> kEmuRgbToLabRows = {
    .portable = EmuRgbToLabRowPortable,
#if QCLR_X86_SIMD
    .avx2 = EmuRgbToLabRowAvx2,
#endif
};

inline constexpr RowVariants<LookupRow> kEmuLabToRgbRows = {
    .portable = EmuLabToRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = EmuLabToRgbRowAvx2,
#endif
};

}  // namespace qclr
