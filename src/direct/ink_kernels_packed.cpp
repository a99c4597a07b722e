// The packed definitions of the ink decoders (chosen when the processor level is
// nonzero): the portable rows, lane by lane, and their SSE2 rows, 8 pixels a group.
//
// Memory (SSE2): a group reads exactly its 8 source pixels (24 or 32 bytes) and
// writes exactly its 8 destination pixels (24 bytes); the width mod 8 pixels at
// the end of a row go through the scalar formulas. Nothing outside the row is read
// or written.
#include <algorithm>

#include "base/rgb_positions.h"
#include "direct/conversion_tables.h"
#include "direct/ink_kernels.h"

#if QCLR_X86_SIMD
#include <emmintrin.h>
#endif

namespace qclr {

void CmykToRgbPixelPacked(const uint8_t* s, uint8_t* d, int16_t f, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const uint16_t c = s[0], m = s[1], y = s[2], k = s[3];
  const uint16_t lo = std::min({c, m, y}), hi = std::max({c, m, y});
  // (S x K) >> 8 fits 16 bits; its product with F keeps the low 16 bits of a lane.
  const uint16_t t = static_cast<uint16_t>((SquareTable()[255 - (hi - lo)] * k) >> 8);
  uint16_t u = static_cast<uint16_t>(t * static_cast<uint16_t>(f));
  const uint16_t limit = static_cast<uint16_t>(255 - hi);
  if (static_cast<int16_t>(u) > static_cast<int16_t>(limit)) u = limit;  // signed compare
  // Unsigned saturating subtractions: 255 - u, then minus the ink.
  const auto subSat = [](uint16_t a, uint16_t v) { return static_cast<uint16_t>(a > v ? a - v : 0); };
  const uint16_t v = subSat(255, u);
  d[at.r] = static_cast<uint8_t>(subSat(v, c));
  d[1] = static_cast<uint8_t>(subSat(v, m));
  d[at.b] = static_cast<uint8_t>(subSat(v, y));
}

void CmyToRgbRowPacked(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  CmyToRgbRow(s, d, width, rgbOrder);  // the packed bytes are the scalar bytes
}

void CmykToRgbRowPacked(const uint8_t* s, uint8_t* d, int32_t width, int16_t f, int32_t rgbOrder) {
  const int32_t groups = width / 8;
  for (int32_t i = 0; i < groups * 8; ++i, s += 4, d += 3) CmykToRgbPixelPacked(s, d, f, rgbOrder);
  CmykToRgbRow(s, d, width - groups * 8, f, rgbOrder);
}

#if QCLR_X86_SIMD

namespace {

// 8 CMYK pixels -> four vectors of 16-bit lanes c0..c7, m0..m7, y0..y7, k0..k7.
void Deinterleave8Cmyk(const uint8_t* s, __m128i* c, __m128i* m, __m128i* y, __m128i* k) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
  const __m128i a = _mm_unpacklo_epi8(v0, v1);  // c0 c4 m0 m4 y0 y4 k0 k4 c1 c5 ...
  const __m128i bb = _mm_unpackhi_epi8(v0, v1); // c2 c6 m2 m6 y2 y6 k2 k6 c3 c7 ...
  const __m128i e = _mm_unpacklo_epi8(a, bb);   // c0 c2 c4 c6 m0 m2 m4 m6 y0 .. k6
  const __m128i g = _mm_unpackhi_epi8(a, bb);   // c1 c3 c5 c7 m1 m3 m5 m7 y1 .. k7
  const __m128i cm = _mm_unpacklo_epi8(e, g);   // c0 c1 .. c7 m0 m1 .. m7
  const __m128i yk = _mm_unpackhi_epi8(e, g);   // y0 y1 .. y7 k0 k1 .. k7
  *c = _mm_unpacklo_epi8(cm, zero);
  *m = _mm_unpackhi_epi8(cm, zero);
  *y = _mm_unpacklo_epi8(yk, zero);
  *k = _mm_unpackhi_epi8(yk, zero);
}

// Writes 8 pixels from three vectors of 16-bit lanes holding values 0..255.
void Store8Rgb(__m128i red, __m128i green, __m128i blue, uint8_t* d, int32_t rgbOrder) {
  alignas(16) uint8_t rg[16], bz[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rg), _mm_packus_epi16(red, green));
  _mm_store_si128(reinterpret_cast<__m128i*>(bz), _mm_packus_epi16(blue, blue));
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int i = 0; i < 8; ++i, d += 3) {
    d[at.r] = rg[i];
    d[1] = rg[8 + i];
    d[at.b] = bz[i];
  }
}

}  // namespace

void CmyToRgbRowPackedSse2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const int32_t groups = width / 8;
  if (rgbOrder) {
    // R, G, B = 255 - C, M, Y byte for byte: 24 bytes a group, as 16 + 8.
    const __m128i ones = _mm_set1_epi8(static_cast<char>(0xFF));
    for (int32_t g = 0; g < groups; ++g, s += 24, d += 24) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
      const __m128i tail = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 16));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_subs_epu8(ones, a));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm_subs_epu8(ones, tail));
    }
  } else {
    CmyToRgbRow(s, d, groups * 8, rgbOrder);
    s += 24 * groups;
    d += 24 * groups;
  }
  CmyToRgbRow(s, d, width - groups * 8, rgbOrder);
}

void CmykToRgbRowPackedSse2(const uint8_t* s, uint8_t* d, int32_t width, int16_t f,
                            int32_t rgbOrder) {
  const uint16_t* square = SquareTable();
  const int32_t groups = width / 8;
  const __m128i full = _mm_set1_epi16(255);
  const __m128i factor = _mm_set1_epi16(f);
  for (int32_t g = 0; g < groups; ++g, s += 32, d += 24) {
    __m128i c, m, y, k;
    Deinterleave8Cmyk(s, &c, &m, &y, &k);
    const __m128i lo = _mm_min_epi16(c, _mm_min_epi16(m, y));
    const __m128i hi = _mm_max_epi16(c, _mm_max_epi16(m, y));
    // The square table is looked up pixel by pixel.
    alignas(16) uint16_t index[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_sub_epi16(full, _mm_sub_epi16(hi, lo)));
    const __m128i sq = _mm_setr_epi16(
        static_cast<short>(square[index[0]]), static_cast<short>(square[index[1]]),
        static_cast<short>(square[index[2]]), static_cast<short>(square[index[3]]),
        static_cast<short>(square[index[4]]), static_cast<short>(square[index[5]]),
        static_cast<short>(square[index[6]]), static_cast<short>(square[index[7]]));
    const __m128i t = _mm_srli_epi16(_mm_mullo_epi16(sq, k), 8);  // (S x K) >> 8
    __m128i u = _mm_mullo_epi16(t, factor);                       // low 16 bits of t x F
    const __m128i limit = _mm_sub_epi16(full, hi);
    const __m128i over = _mm_cmpgt_epi16(u, limit);  // signed compare
    u = _mm_or_si128(_mm_and_si128(over, limit), _mm_andnot_si128(over, u));
    const __m128i v = _mm_subs_epu16(full, u);
    Store8Rgb(_mm_subs_epu16(v, c), _mm_subs_epu16(v, m), _mm_subs_epu16(v, y), d, rgbOrder);
  }
  CmykToRgbRow(s, d, width - groups * 8, f, rgbOrder);
}

#endif

}  // namespace qclr
