// Ink rows (CMY both ways, RGB to CMYK, both definitions of CMYK to RGB), 8 pixels
// a step in 256-bit vectors (CMY: 32 bytes or 32 pixels a step).
//
// Memory: a step reads exactly its source bytes and writes exactly its destination
// bytes, except that a CMYK to RGB step stores 32 bytes while the row has them (the
// next step overwrites the last 8). The CMY rows read a step's bytes before
// writing them, so they may run in place. What is left after the last whole step
// goes through the portable row (for the packed CMYK decoder: the width mod 8
// pixels through the plain formula, as its definition does). Nothing outside the
// row is read or written.
//
// Arithmetic: as in ink_rows_avx512.cpp, one pixel a 32-bit lane.
#include "direct/ink_kernels.h"

#if QCLR_X86_SIMD
#include <cmath>

#include "direct/simd_avx2.h"
#include "direct/swap_rows.h"

namespace qclr {
namespace {

using avx2::kZ;

template <bool kPacked>
void CmykToRgbRows(const uint8_t* s, uint8_t* d, int32_t width, int16_t f, int32_t rgbOrder) {
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 32, d += 24) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    __m256i light = avx2::InvertInks(v);
    if (f != 0) {
      const __m256i lo = avx2::LowestOfThree(v), hi = avx2::HighestOfThree(v);
      const __m256i i = _mm256_sub_epi32(_mm256_set1_epi32(255), _mm256_sub_epi32(hi, lo));
      const __m256i i2 = _mm256_madd_epi16(i, i);
      const __m256i square = _mm256_srli_epi32(
          _mm256_add_epi32(_mm256_add_epi32(_mm256_slli_epi32(i2, 8), _mm256_slli_epi32(i2, 1)),
                           _mm256_set1_epi32(782)),
          16);
      const __m256i t = _mm256_srli_epi32(_mm256_madd_epi16(square, _mm256_srli_epi32(v, 24)), 8);
      const __m256i product = _mm256_mullo_epi32(t, _mm256_set1_epi32(f));
      const __m256i limit = _mm256_sub_epi32(_mm256_set1_epi32(255), hi);
      if (kPacked) {
        const __m256i u =
            _mm256_min_epi32(_mm256_srai_epi32(_mm256_slli_epi32(product, 16), 16), limit);
        const __m256i negative = _mm256_srai_epi32(u, 31);
        light = _mm256_andnot_si256(negative, _mm256_sub_epi8(light, avx2::ToThreeBytes(u)));
      } else {
        light = _mm256_sub_epi8(light, avx2::ToThreeBytes(_mm256_min_epu32(product, limit)));
      }
    }
    avx2::StorePixelLanes3(d, avx2::PixelOrder(light, rgbOrder), 3 * ptrdiff_t{width - x});
  }
  CmykToRgbRow(s, d, width - x, f, rgbOrder);  // fewer than 8: the plain formula in both
}

}  // namespace

void CmyRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  if (!rgbOrder) {
    SwapInvertRgbRowAvx2(s, d, width);
    return;
  }
  const ptrdiff_t bytes = 3 * ptrdiff_t{width};
  const __m256i ones = _mm256_set1_epi8(-1);
  ptrdiff_t i = 0;
  for (; bytes - i >= 32; i += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_xor_si256(v, ones));
  }
  for (; i < bytes; ++i) d[i] = static_cast<uint8_t>(255 - s[i]);
}

void RgbToCmykRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, const RgbToCmykFactors& k,
                      int32_t rgbOrder) {
  const bool noRemoval = std::fabs(k.q * 255) < 1;
  // c m y of each pixel from avx2::LoadPixelLanes3, then 0.
  const __m256i inks =
      rgbOrder ? _mm256_setr_epi8(0, 1, 2, kZ, 3, 4, 5, kZ, 6, 7, 8, kZ, 9, 10, 11, kZ, 4, 5, 6, kZ,
                                  7, 8, 9, kZ, 10, 11, 12, kZ, 13, 14, 15, kZ)
               : _mm256_setr_epi8(2, 1, 0, kZ, 5, 4, 3, kZ, 8, 7, 6, kZ, 11, 10, 9, kZ, 6, 5, 4, kZ,
                                  9, 8, 7, kZ, 12, 11, 10, kZ, 15, 14, 13, kZ);
  const __m256i multiplier = _mm256_set1_epi32(k.blackMultiplier),
                offset = _mm256_set1_epi32(k.blackOffset);
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 24, d += 32) {
    const __m256i cmy = avx2::InvertInks(_mm256_shuffle_epi8(avx2::LoadPixelLanes3(s), inks));
    const __m256i lo = avx2::LowestOfThree(cmy);
    const __m256i black =
        k.blackLinear
            ? _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(lo, multiplier), offset), 16)
            : avx2::Truncate(avx2::ToDoubles(lo) * k.p);
    __m256i out = cmy;
    if (!noRemoval) {
      const avx2::Doubles8 low = avx2::ToDoubles(lo);
      const avx2::Doubles8 grey =
          avx2::ToDoubles(_mm256_sub_epi32(_mm256_set1_epi32(255),
                                           _mm256_sub_epi32(avx2::HighestOfThree(cmy), lo))) /
          255.0;
      const __m256i u = avx2::Truncate(grey * grey * (low / 255.0) * k.q * 255);
      out = _mm256_and_si256(_mm256_sub_epi8(cmy, avx2::ToThreeBytes(u)),
                             _mm256_set1_epi32(0x00FFFFFF));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d),
                        _mm256_or_si256(out, _mm256_slli_epi32(black, 24)));
  }
  RgbToCmykRow(s, d, width - x, k, rgbOrder);
}

void CmykToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, int16_t f, int32_t rgbOrder) {
  CmykToRgbRows<false>(s, d, width, f, rgbOrder);
}

void CmykToRgbRowPackedAvx2(const uint8_t* s, uint8_t* d, int32_t width, int16_t f,
                            int32_t rgbOrder) {
  CmykToRgbRows<true>(s, d, width, f, rgbOrder);
}

}  // namespace qclr
#endif
