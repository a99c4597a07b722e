// Ink rows (CMY both ways, RGB to CMYK, both definitions of CMYK to RGB), 16
// pixels a step in 512-bit vectors (CMY: 64 bytes or 64 pixels a step).
//
// Memory: loads are whole 64-byte vectors where the row has them from the step's
// first byte, masked to the step's own bytes nearer the end; the stores write
// exactly the row's bytes (avx512::StoreRow3 and StoreRow4), the CMY rows from the
// first 64-byte boundary of the destination on in whole vectors. The CMY rows read
// a step's bytes before writing them and write only those, so they may run in
// place. The packed CMYK decoder leaves the width mod 8 pixels to the plain
// formula, as its definition does. Nothing outside the row is read or written.
//
// Arithmetic, one pixel a 32-bit lane (C M Y K or R G B bytes):
//  - RGB to CMYK: c, m, y = 255 - the bytes; lo = min(c, m, y); K = trunc(lo x P)
//    in packed doubles (the definition's one product). The undercolour amount
//    u = trunc(grey^2 x (lo / 255) x Q x 255), grey = (255 - (hi - lo)) / 255, is 0
//    for every pixel when |fl(Q x 255)| < 1 (every factor but Q lies in 0..1 and
//    rounding is monotonic), which holds below black generation 330 (the direct
//    route's 175 among them); otherwise it is computed in packed doubles, the
//    scalar operations in their order.
//  - CMYK to RGB with black factor F = 0 (black generation below 250): both
//    definitions give 255 - C, 255 - M, 255 - Y. Otherwise, with
//    S[i] = ((i^2 << 8) + (i^2 << 1) + 782) >> 16 (equal to the square table for all
//    256 i: the table is trunc(256 (i/255)^2), and a test checks every entry) and
//    t = (S[255 - (hi - lo)] K) >> 8: the plain definition caps u = t F, compared
//    unsigned, at 255 - hi (an unsigned minimum); the packed one keeps the low 16
//    bits of t F as a signed value, caps it at 255 - hi by a signed minimum, and
//    gives 0 where it stays negative (its saturating 255 - u). The result is
//    255 - u - ink in both, never below 0 after the cap.
#include "direct/ink_kernels.h"

#if QCLR_X86_SIMD
#include <cmath>
#include <cstddef>

#include "direct/simd_avx512.h"
#include "direct/swap_rows.h"

namespace qclr {
namespace {

using avx512::ByteMask;
using avx512::kZ;

// The RGB lanes of the n <= 16 CMYK pixels at s (`left` bytes of the row from s).
template <bool kPacked>
__m512i CmykToRgbLanes(const uint8_t* s, int32_t n, ptrdiff_t left, int16_t f, int32_t rgbOrder) {
  const __m512i v =
      left >= 64 ? _mm512_loadu_si512(s) : _mm512_maskz_loadu_epi8(ByteMask(4 * n), s);
  __m512i light = avx512::InvertInks(v);
  if (f != 0) {
    const __m512i lo = avx512::LowestOfThree(v), hi = avx512::HighestOfThree(v);
    const __m512i i = _mm512_sub_epi32(_mm512_set1_epi32(255), _mm512_sub_epi32(hi, lo));
    const __m512i i2 = _mm512_madd_epi16(i, i);
    const __m512i square = _mm512_srli_epi32(
        _mm512_add_epi32(_mm512_add_epi32(_mm512_slli_epi32(i2, 8), _mm512_slli_epi32(i2, 1)),
                         _mm512_set1_epi32(782)),
        16);
    const __m512i t = _mm512_srli_epi32(_mm512_madd_epi16(square, _mm512_srli_epi32(v, 24)), 8);
    const __m512i product = _mm512_mullo_epi32(t, _mm512_set1_epi32(f));
    const __m512i limit = _mm512_sub_epi32(_mm512_set1_epi32(255), hi);
    if (kPacked) {
      const __m512i u =
          _mm512_min_epi32(_mm512_srai_epi32(_mm512_slli_epi32(product, 16), 16), limit);
      light = _mm512_maskz_mov_epi32(_mm512_cmpge_epi32_mask(u, _mm512_setzero_si512()),
                                     _mm512_sub_epi8(light, avx512::ToThreeBytes(u)));
    } else {
      light = _mm512_sub_epi8(light, avx512::ToThreeBytes(_mm512_min_epu32(product, limit)));
    }
  }
  return avx512::PixelOrder(light, rgbOrder);
}

template <bool kPacked>
void CmykToRgbRows(const uint8_t* s, uint8_t* d, int32_t width, int16_t f, int32_t rgbOrder) {
  const int32_t vectored = kPacked ? width / 8 * 8 : width;
  avx512::StoreRow3(d, vectored, 1, [&](int32_t x, int32_t n) {
    return CmykToRgbLanes<kPacked>(s + 4 * ptrdiff_t{x}, n, 4 * ptrdiff_t{vectored - x}, f,
                                   rgbOrder);
  });
  CmykToRgbRow(s + 4 * ptrdiff_t{vectored}, d + 3 * ptrdiff_t{vectored}, width - vectored, f,
               rgbOrder);
}

}  // namespace

void RgbToCmykRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, const RgbToCmykFactors& k,
                        int32_t rgbOrder) {
  const bool noRemoval = std::fabs(k.q * 255) < 1;
  // c m y of each pixel from the RGB side, then 0.
  const __m512i inks = _mm512_broadcast_i32x4(
      rgbOrder ? _mm_setr_epi8(0, 1, 2, kZ, 3, 4, 5, kZ, 6, 7, 8, kZ, 9, 10, 11, kZ)
               : _mm_setr_epi8(2, 1, 0, kZ, 5, 4, 3, kZ, 8, 7, 6, kZ, 11, 10, 9, kZ));
  const __m512i multiplier = _mm512_set1_epi32(k.blackMultiplier),
                offset = _mm512_set1_epi32(k.blackOffset);
  avx512::StoreRow4(d, width, [&](int32_t x, int32_t n) {
    const __m512i cmy = avx512::InvertInks(_mm512_shuffle_epi8(
        avx512::LoadPixelLanes3(s + 3 * ptrdiff_t{x}, n, 3 * ptrdiff_t{width - x}), inks));
    const __m512i lo = avx512::LowestOfThree(cmy);
    const __m512i black =
        k.blackLinear
            ? _mm512_srli_epi32(_mm512_add_epi32(_mm512_mullo_epi32(lo, multiplier), offset), 16)
            : avx512::Truncate(avx512::ToDoubles(lo) * k.p);
    __m512i out = cmy;
    if (!noRemoval) {
      const avx512::Doubles16 low = avx512::ToDoubles(lo);
      const avx512::Doubles16 grey =
          avx512::ToDoubles(_mm512_sub_epi32(_mm512_set1_epi32(255),
                                             _mm512_sub_epi32(avx512::HighestOfThree(cmy), lo))) /
          255.0;
      const __m512i u = avx512::Truncate(grey * grey * (low / 255.0) * k.q * 255);
      out = _mm512_and_si512(_mm512_sub_epi8(cmy, avx512::ToThreeBytes(u)),
                             _mm512_set1_epi32(0x00FFFFFF));
    }
    return _mm512_or_si512(out, _mm512_slli_epi32(black, 24));
  });
}

void CmykToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, int16_t f, int32_t rgbOrder) {
  CmykToRgbRows<false>(s, d, width, f, rgbOrder);
}

void CmykToRgbRowPackedAvx512(const uint8_t* s, uint8_t* d, int32_t width, int16_t f,
                              int32_t rgbOrder) {
  CmykToRgbRows<true>(s, d, width, f, rgbOrder);
}

}  // namespace qclr
#endif
