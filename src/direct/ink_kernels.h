// Kernels between RGB and the ink spaces CSP_CMY and CSP_CMYK (0 = no ink,
// 255 = full ink), with black generation and undercolour removal for CMYK.
#pragma once

#include <cstdint>

#include "base/row_variants.h"

namespace qclr {

int32_t RgbToCmy(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);
int32_t CmyToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder);

// blackParam is the black generation in thousandths (the direct route passes 175).
// Callers that take it from users restrict it to 0..1000; outside that range the
// formulas still run and bytes wrap modulo 256.
int32_t RgbToCmyk(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t blackParam, int32_t rgbOrder);
int32_t CmykToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t blackParam, int32_t rgbOrder);

// Factors derived once per call from blackParam (P = blackParam x 0.001):
struct RgbToCmykFactors {
  double p;  // K = trunc(lo x P)
  double q;  // P^5, scales the undercolour removal
  // Where found: K = (lo x blackMultiplier + blackOffset) >> 16 for every lo 0..255,
  // checked against trunc(lo x P) when the factors are made; the vector rows use
  // it then, and the product in doubles otherwise.
  bool blackLinear = false;
  int32_t blackMultiplier = 0;
  int32_t blackOffset = 0;
};
RgbToCmykFactors MakeRgbToCmykFactors(int32_t blackParam);

// F = trunc(256 x P^4) as a signed 16-bit value: 0 below 250, 1 at 250, 256 at 1000.
int16_t CmykBlackFactor(int32_t blackParam);

// Row functions. The scalar rows are the definitions: the plain ones of level 0
// and the packed ones chosen at a nonzero processor level, which work on groups
// of 8 pixels in 16-bit lanes and finish the width mod 8 pixels with the plain
// formula. CmyToRgbRowPacked gives the plain bytes; CmykToRgbRowPacked keeps the
// undercolour amount u in a 16-bit lane and compares it as a signed value, so it
// gives the plain bytes while u < 32768 (see CmykToRgbPixelPacked). The vector rows
// (ink_rows_*.cpp) give exactly the bytes of the row they replace.
using CmyRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
using CmykToRgbRowFn = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f,
                                int32_t rgbOrder);
using RgbToCmykRowFn = void (*)(const uint8_t* src, uint8_t* dst, int32_t width,
                                const RgbToCmykFactors& factors, int32_t rgbOrder);

void RgbToCmyRow(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmyToRgbRow(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmyToRgbRowPacked(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void RgbToCmykRow(const uint8_t* src, uint8_t* dst, int32_t width, const RgbToCmykFactors& factors,
                  int32_t rgbOrder);
void CmykToRgbRow(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f, int32_t rgbOrder);
void CmykToRgbRowPacked(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f,
                        int32_t rgbOrder);

// One pixel of the packed CmykToRgb arithmetic, lane by lane: the reference the
// vector code is tested against.
void CmykToRgbPixelPacked(const uint8_t* cmyk, uint8_t* rgb, int16_t f, int32_t rgbOrder);

#if QCLR_X86_SIMD
// The CMY rows invert every byte, exchanging bytes 0 and 2 of each pixel when the
// RGB side is CSP_BGR: one function serves RGB -> CMY and both definitions of
// CMY -> RGB.
void CmyRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void CmyToRgbRowPackedSse2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t rgbOrder);
void RgbToCmykRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width,
                      const RgbToCmykFactors& factors, int32_t rgbOrder);
void RgbToCmykRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width,
                        const RgbToCmykFactors& factors, int32_t rgbOrder);
void CmykToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f, int32_t rgbOrder);
void CmykToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f,
                        int32_t rgbOrder);
void CmykToRgbRowPackedSse2(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f,
                            int32_t rgbOrder);
void CmykToRgbRowPackedAvx2(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f,
                            int32_t rgbOrder);
void CmykToRgbRowPackedAvx512(const uint8_t* src, uint8_t* dst, int32_t width, int16_t f,
                              int32_t rgbOrder);
#endif

inline constexpr RowVariants<CmyRow> kRgbToCmyRows = {
    .portable = RgbToCmyRow,
#if QCLR_X86_SIMD
    .avx2 = CmyRowAvx2,  // also on AVX-512: 256-bit moves keep pace with memory there
#endif
};
inline constexpr RowVariants<CmyRow> kCmyToRgbRows = {
    .portable = CmyToRgbRow,
#if QCLR_X86_SIMD
    .avx2 = CmyRowAvx2,  // also on AVX-512: 256-bit moves keep pace with memory there
#endif
};
inline constexpr RowVariants<CmyRow> kCmyToRgbPackedRows = {
    .portable = CmyToRgbRowPacked,
#if QCLR_X86_SIMD
    .sse2 = CmyToRgbRowPackedSse2,
    .avx2 = CmyRowAvx2,  // also on AVX-512: 256-bit moves keep pace with memory there
#endif
};
inline constexpr RowVariants<RgbToCmykRowFn> kRgbToCmykRows = {
    .portable = RgbToCmykRow,
#if QCLR_X86_SIMD
    .avx2 = RgbToCmykRowAvx2,
    .avx512 = RgbToCmykRowAvx512,
#endif
};
inline constexpr RowVariants<CmykToRgbRowFn> kCmykToRgbRows = {
    .portable = CmykToRgbRow,
#if QCLR_X86_SIMD
    .avx2 = CmykToRgbRowAvx2,
    .avx512 = CmykToRgbRowAvx512,
#endif
};
inline constexpr RowVariants<CmykToRgbRowFn> kCmykToRgbPackedRows = {
    .portable = CmykToRgbRowPacked,
#if QCLR_X86_SIMD
    .sse2 = CmykToRgbRowPackedSse2,
    .avx2 = CmykToRgbRowPackedAvx2,
    .avx512 = CmykToRgbRowPackedAvx512,
#endif
};

}  // namespace qclr
