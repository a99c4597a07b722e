// The built-in RGB <-> CMYK steps of the YCCK converters: full undercolour removal
// one way, the MulDiv ink product the other way (and its packed definition, with
// its SSE2 row).
//
// The SSE2 row reads exactly the 8 CMYK pixels of a group (32 bytes) and writes
// exactly their 24 RGB bytes; the width mod 8 pixels use the MulDiv formula.
#include <algorithm>

#include "base/rgb_positions.h"
#include "direct/ycck_kernels.h"
#include "numeric/mul_div.h"

#if QCLR_X86_SIMD
#include <emmintrin.h>
#endif

namespace qclr {

void RgbToCmykFullRemovalRow(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 4) {
    const int c = 255 - s[at.r], m = 255 - s[1], y = 255 - s[at.b];
    const int k = std::min({c, m, y});
    d[0] = static_cast<uint8_t>(c - k);
    d[1] = static_cast<uint8_t>(m - k);
    d[2] = static_cast<uint8_t>(y - k);
    d[3] = static_cast<uint8_t>(k);
  }
}

namespace {

// 255 - (x + K - x K / 255): the light left after ink x over black K.
uint8_t InkOverBlack(int32_t x, int32_t k) {
  return static_cast<uint8_t>(255 - (x + k - MulDiv(x, k, 255)));
}

// The same with (x K) >> 8 for x K / 255, as the packed lanes compute it.
uint8_t InkOverBlackShift(uint16_t x, uint16_t k) {
  const uint16_t v = static_cast<uint16_t>(x - ((x * k) >> 8) + k);  // at most 510
  return static_cast<uint8_t>(v >= 255 ? 0 : 255 - v);
}

}  // namespace

void CmykToRgbMulDivRow(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 4, d += 3) {
    const int32_t k = s[3];
    d[at.r] = InkOverBlack(s[0], k);
    d[1] = InkOverBlack(s[1], k);
    d[at.b] = InkOverBlack(s[2], k);
  }
}

void CmykToRgbShiftPixel(const uint8_t* s, uint8_t* d, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  d[at.r] = InkOverBlackShift(s[0], s[3]);
  d[1] = InkOverBlackShift(s[1], s[3]);
  d[at.b] = InkOverBlackShift(s[2], s[3]);
}

void CmykToRgbMulDivRowPacked(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const int32_t grouped = width / 8 * 8;
  for (int32_t x = 0; x < grouped; ++x, s += 4, d += 3) CmykToRgbShiftPixel(s, d, rgbOrder);
  CmykToRgbMulDivRow(s, d, width - grouped, rgbOrder);
}

#if QCLR_X86_SIMD

void CmykToRgbMulDivRowPackedSse2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const int32_t groups = width / 8;
  const __m128i zero = _mm_setzero_si128();
  const __m128i full = _mm_set1_epi16(255);
  for (int32_t g = 0; g < groups; ++g, s += 32, d += 24) {
    // Two loads of 4 pixels, split into 16-bit lanes c m y k per pixel.
    const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
    const __m128i lanes[4] = {_mm_unpacklo_epi8(v0, zero), _mm_unpackhi_epi8(v0, zero),
                              _mm_unpacklo_epi8(v1, zero), _mm_unpackhi_epi8(v1, zero)};
    alignas(16) uint8_t out[4][16];
    for (int q = 0; q < 4; ++q) {  // two pixels per vector: c0 m0 y0 k0 c1 m1 y1 k1
      const __m128i ink = lanes[q];
      // Spread each pixel's K over its four lanes.
      const __m128i k = _mm_shufflehi_epi16(_mm_shufflelo_epi16(ink, 0xFF), 0xFF);
      const __m128i product = _mm_srli_epi16(_mm_mullo_epi16(ink, k), 8);
      const __m128i v = _mm_adds_epu16(_mm_sub_epi16(ink, product), k);
      const __m128i light = _mm_subs_epu16(full, v);
      _mm_store_si128(reinterpret_cast<__m128i*>(out[q]), _mm_packus_epi16(light, light));
    }
    for (int p = 0; p < 8; ++p) {
      const uint8_t* px = &out[p / 2][(p % 2) * 4];
      d[3 * p + at.r] = px[0];
      d[3 * p + 1] = px[1];
      d[3 * p + at.b] = px[2];
    }
  }
  CmykToRgbMulDivRow(s, d, width - groups * 8, rgbOrder);
}

#endif

}  // namespace qclr
