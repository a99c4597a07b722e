// Kernels between RGB and CSP_YIQ: Y 0..255; I offset and scaled so that
// -0.596..0.596 maps to 0..255; Q so that -0.523..0.523 maps to 0..255.
#pragma once

#include <cstdint>

#include "base/row_variants.h"

namespace qclr {

int32_t RgbToYiq(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

// Chooses its definition by the active processor level: the floating-point row
// at level 0, the packed row otherwise.
int32_t YiqToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

// The packed decoder works on the bytes Y, I, Q directly, in 16-bit lanes, with the
// floating-point weights in 7-bit fixed point (x / 128) and the offsets of I and Q
// folded into three constants:
//   R = |Y + ((146 I + 83 Q) >> 7) - 228|      146 ~ 128 x 1.192 x 0.956, 83 ~ 128 x 1.046 x 0.621
//   G = |Y + 128 - ((42 I + 87 Q) >> 7)|       42 ~ 128 x 1.192 x 0.272,  87 ~ 128 x 1.046 x 0.647
//   B = |Y - ((169 I - 228 Q) >> 7) - 59|      169 ~ 128 x 1.192 x 1.106, 228 ~ 128 x 1.046 x 1.703
// The first two sums are unsigned 16-bit values shifted logically; 169 I - 228 Q
// wraps around in its 16-bit lane and is shifted arithmetically. Each result is
// made non-negative as a signed 16-bit value and saturated to 0..255. The bytes
// are close to, not equal to, the floating-point ones.
struct YiqPackedWeights {
  static constexpr int16_t kRedI = 146, kRedQ = 83, kRedOffset = 228;
  static constexpr int16_t kGreenI = 42, kGreenQ = 87, kGreenOffset = 128;
  static constexpr int16_t kBlueI = 169, kBlueQ = 228, kBlueOffset = 59;
};

// Row functions. The floating-point row and the packed row below are the two
// definitions; the packed row runs groups of 8 pixels through the lane arithmetic
// above and the width mod 8 pixels through the floating-point row. The vector rows
// (yiq_rows_*.cpp) give exactly the bytes of the row they replace.
using YiqRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void RgbToYiqRow(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void YiqToRgbRow(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void YiqToRgbRowPacked(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);

// One pixel of the packed arithmetic, lane by lane: the reference the vector code
// is tested against.
void YiqToRgbPixelPacked(const uint8_t* yiq, uint8_t* rgb, int32_t rgbOrder);

#if QCLR_X86_SIMD
void YiqToRgbRowPackedSse2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void RgbToYiqRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void YiqToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void YiqToRgbRowPackedAvx2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void RgbToYiqRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void YiqToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void YiqToRgbRowPackedAvx512(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
#endif

inline constexpr RowVariants<YiqRow> kRgbToYiqRows = {
    .portable = RgbToYiqRow,
#if QCLR_X86_SIMD
    .avx2 = RgbToYiqRowAvx2,
    .avx512 = RgbToYiqRowAvx512,
#endif
};
inline constexpr RowVariants<YiqRow> kYiqToRgbRows = {
    .portable = YiqToRgbRow,
#if QCLR_X86_SIMD
    .avx2 = YiqToRgbRowAvx2,
    .avx512 = YiqToRgbRowAvx512,
#endif
};
inline constexpr RowVariants<YiqRow> kYiqToRgbPackedRows = {
    .portable = YiqToRgbRowPacked,
#if QCLR_X86_SIMD
    .sse2 = YiqToRgbRowPackedSse2,
    .avx2 = YiqToRgbRowPackedAvx2,
    .avx512 = YiqToRgbRowPackedAvx512,
#endif
};

}  // namespace qclr
