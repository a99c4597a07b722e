// YCCK rows, 16 pixels a step in 512-bit vectors: RGB to CMYK with full
// undercolour removal, CMYK <-> YCCK, and both definitions of CMYK to RGB by the
// ink product.
//
// Memory: loads are whole 64-byte vectors where the row has them from the step's
// first byte, masked to the step's own bytes nearer the end; avx512::StoreRow3 and
// StoreRow4 write exactly the row's bytes. The packed CMYK to
// RGB row leaves the width mod 8 pixels to the MulDiv formula, as its definition
// does. Nothing outside the row is read or written.
//
// Arithmetic, one pixel a 32-bit lane, exactly the definitions:
//  - CMYK to YCCK: the tables hold linear functions (conversion_tables.cpp), so
//    with r, g, b = 255 - C, M, Y
//      Y  = (19595 r + 38470 g + 7471 b + 32768) >> 16
//      Cb = (-11059 r - 21709 g + 32768 b + 8421375) >> 16
//      Cr = (32768 r - 27439 g - 5329 b + 8421375) >> 16,
//    38470 g as 19235 g twice in two multiply-adds, 32768 x as x << 15.
//  - YCCK to CMYK: with xb = Cb - 128, xr = Cr - 128 and the bytes' 256 xb, 256 xr
//    as signed 16-bit values, the table entries are
//      crR = (91881 xr + 32768) >> 16 = xr + ((26345 x 256 xr + 2^23) >> 24)
//      cbB = (116130 xb + 32768) >> 16 = 2 xb + ((-14942 x 256 xb + 2^23) >> 24)
//      (cbG + crG) >> 16 = (-22554 xb - 46802 xr + 32768) >> 16
//                        = (256 (-11277 xb - 23401 xr) + 2^22) >> 23,
//    and the range limit of 255 - (y + entry), whose index stays within
//    -178..434, is a clamp to 0..255 (the saturating packs).
//  - CMYK to RGB, in 16-bit lanes: MulDiv(x, K, 255) rounds x K / 255 to the
//    nearest (never a half: 255 is odd), which is (x K + 127) / 255 truncated, and
//    m / 255 for m = x K + 127 <= 65152 is (m + 1 + (m >> 8)) >> 8 (checked for all
//    65536 pairs (x, K) by a test); the packed definition's
//    255 - (x - ((x K) >> 8) + K) saturates at 0 as its lanes do.
#include "direct/ycck_kernels.h"

#if QCLR_X86_SIMD
#include "direct/conversion_tables.h"
#include "direct/simd_avx512.h"

namespace qclr {
namespace {

using avx512::ByteMask;
using avx512::kZ;
using avx512::Weights;

__m512i Madd(__m512i pairs, int lo, int hi) {
  return _mm512_madd_epi16(pairs, _mm512_set1_epi32(Weights(lo, hi)));
}

__m512i Broadcast(__m128i lane) { return _mm512_broadcast_i32x4(lane); }

__m512i LoadCmyk(const uint8_t* s, int32_t n, ptrdiff_t left) {
  return left >= 64 ? _mm512_loadu_si512(s) : _mm512_maskz_loadu_epi8(ByteMask(4 * n), s);
}

// Four 32-bit lanes a pixel (each 0..255) into bytes a b c d of its 32-bit lane.
__m512i PackFour(__m512i a, __m512i b, __m512i c, __m512i d) {
  const __m512i bytes = _mm512_packus_epi16(_mm512_packus_epi32(a, b), _mm512_packus_epi32(c, d));
  return _mm512_shuffle_epi8(
      bytes, Broadcast(_mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15)));
}

// The ink product of 16 CMYK pixels: 255 - (x + K - MulDiv(x, K, 255)) (plain) or
// 255 - (x - ((x K) >> 8) + K) saturated (packed), bytes 0..2 of each 32-bit lane.
template <bool kPacked>
__m512i InkProduct(__m512i cmyk) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i spreadK =
      Broadcast(_mm_setr_epi8(6, kZ, 6, kZ, 6, kZ, 6, kZ, 14, kZ, 14, kZ, 14, kZ, 14, kZ));
  const auto half = [&](__m512i x) {  // 16-bit lanes C M Y K of two pixels
    const __m512i k = _mm512_shuffle_epi8(x, spreadK);
    const __m512i product = _mm512_mullo_epi16(x, k);
    if (kPacked) {
      const __m512i v = _mm512_adds_epu16(_mm512_sub_epi16(x, _mm512_srli_epi16(product, 8)), k);
      return _mm512_subs_epu16(_mm512_set1_epi16(255), v);
    }
    const __m512i m = _mm512_add_epi16(product, _mm512_set1_epi16(127));
    const __m512i mulDiv = _mm512_srli_epi16(
        _mm512_add_epi16(_mm512_add_epi16(m, _mm512_set1_epi16(1)), _mm512_srli_epi16(m, 8)), 8);
    return _mm512_sub_epi16(_mm512_add_epi16(_mm512_set1_epi16(255), mulDiv),
                            _mm512_add_epi16(x, k));
  };
  return _mm512_packus_epi16(half(_mm512_unpacklo_epi8(cmyk, zero)),
                             half(_mm512_unpackhi_epi8(cmyk, zero)));
}

template <bool kPacked>
void InkRows(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const int32_t vectored = kPacked ? width / 8 * 8 : width;
  avx512::StoreRow3(d, vectored, 1, [&](int32_t x, int32_t n) {
    return avx512::PixelOrder(
        InkProduct<kPacked>(LoadCmyk(s + 4 * ptrdiff_t{x}, n, 4 * ptrdiff_t{vectored - x})),
        rgbOrder);
  });
  CmykToRgbMulDivRow(s + 4 * ptrdiff_t{vectored}, d + 3 * ptrdiff_t{vectored}, width - vectored,
                     rgbOrder);
}

}  // namespace

void RgbToCmykFullRemovalRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const __m512i inks =
      Broadcast(rgbOrder ? _mm_setr_epi8(0, 1, 2, kZ, 3, 4, 5, kZ, 6, 7, 8, kZ, 9, 10, 11, kZ)
                         : _mm_setr_epi8(2, 1, 0, kZ, 5, 4, 3, kZ, 8, 7, 6, kZ, 11, 10, 9, kZ));
  avx512::StoreRow4(d, width, [&](int32_t x, int32_t n) {
    const __m512i cmy = avx512::InvertInks(_mm512_shuffle_epi8(
        avx512::LoadPixelLanes3(s + 3 * ptrdiff_t{x}, n, 3 * ptrdiff_t{width - x}), inks));
    const __m512i k = avx512::LowestOfThree(cmy);
    return _mm512_or_si512(_mm512_sub_epi8(cmy, avx512::ToThreeBytes(k)), _mm512_slli_epi32(k, 24));
  });
}

void CmykToYcckRowAvx512(const YccTables& /*tables*/, const uint8_t* s, uint8_t* d, int32_t width) {
  const __m512i rgMask =
      Broadcast(_mm_setr_epi8(0, kZ, 1, kZ, 4, kZ, 5, kZ, 8, kZ, 9, kZ, 12, kZ, 13, kZ));
  const __m512i gbMask =
      Broadcast(_mm_setr_epi8(1, kZ, 2, kZ, 5, kZ, 6, kZ, 9, kZ, 10, kZ, 13, kZ, 14, kZ));
  const __m512i bias = _mm512_set1_epi32(8421375);
  avx512::StoreRow4(d, width, [&](int32_t x, int32_t n) {
    const __m512i cmyk = LoadCmyk(s + 4 * ptrdiff_t{x}, n, 4 * ptrdiff_t{width - x});
    const __m512i rgbk = avx512::InvertInks(cmyk);
    const __m512i rg = _mm512_shuffle_epi8(rgbk, rgMask), gb = _mm512_shuffle_epi8(rgbk, gbMask);
    const __m512i r = _mm512_and_si512(rg, _mm512_set1_epi32(0xFFFF)),
                  b = _mm512_srli_epi32(gb, 16);
    const __m512i y = _mm512_srai_epi32(
        _mm512_add_epi32(_mm512_add_epi32(Madd(rg, 19595, 19235), Madd(gb, 19235, 7471)),
                         _mm512_set1_epi32(32768)),
        16);
    const __m512i cb = _mm512_srai_epi32(
        _mm512_add_epi32(_mm512_add_epi32(Madd(rg, -11059, -21709), _mm512_slli_epi32(b, 15)),
                         bias),
        16);
    const __m512i cr = _mm512_srai_epi32(
        _mm512_add_epi32(_mm512_add_epi32(_mm512_slli_epi32(r, 15), Madd(gb, -27439, -5329)), bias),
        16);
    return PackFour(y, cb, cr, _mm512_srli_epi32(cmyk, 24));
  });
}

void YcckToCmykRowAvx512(const YccTables& /*tables*/, const uint8_t* s, uint8_t* d, int32_t width) {
  // 256 (Cb - 128) and 256 (Cr - 128) as signed 16-bit values: the bytes with
  // their top bit flipped, in the high half.
  const __m512i chromaMask =
      Broadcast(_mm_setr_epi8(kZ, 1, kZ, 2, kZ, 5, kZ, 6, kZ, 9, kZ, 10, kZ, 13, kZ, 14));
  const __m512i full = _mm512_set1_epi32(255), half24 = _mm512_set1_epi32(1 << 23);
  avx512::StoreRow4(d, width, [&](int32_t x, int32_t n) {
    const __m512i ycck = LoadCmyk(s + 4 * ptrdiff_t{x}, n, 4 * ptrdiff_t{width - x});
    const __m512i chroma =
        _mm512_shuffle_epi8(_mm512_xor_si512(ycck, _mm512_set1_epi32(0x00808000)), chromaMask);
    const __m512i xb = _mm512_srai_epi32(_mm512_slli_epi32(chroma, 16), 24),
                  xr = _mm512_srai_epi32(chroma, 24);
    const __m512i level =
        _mm512_sub_epi32(full, _mm512_and_si512(ycck, _mm512_set1_epi32(0xFF)));  // 255 - y
    const __m512i crR = _mm512_add_epi32(
        xr, _mm512_srai_epi32(_mm512_add_epi32(Madd(chroma, 0, 26345), half24), 24));
    const __m512i cbB =
        _mm512_add_epi32(_mm512_add_epi32(xb, xb),
                         _mm512_srai_epi32(_mm512_add_epi32(Madd(chroma, -14942, 0), half24), 24));
    const __m512i g = _mm512_srai_epi32(
        _mm512_add_epi32(Madd(chroma, -11277, -23401), _mm512_set1_epi32(1 << 22)), 23);
    // The clamps to 0..255: signed to 16 bits, then unsigned to bytes (PackFour).
    const __m512i c = _mm512_max_epi32(_mm512_min_epi32(_mm512_sub_epi32(level, crR), full),
                                       _mm512_setzero_si512());
    const __m512i m = _mm512_max_epi32(_mm512_min_epi32(_mm512_sub_epi32(level, g), full),
                                       _mm512_setzero_si512());
    const __m512i yl = _mm512_max_epi32(_mm512_min_epi32(_mm512_sub_epi32(level, cbB), full),
                                        _mm512_setzero_si512());
    return PackFour(c, m, yl, _mm512_srli_epi32(ycck, 24));
  });
}

void CmykToRgbMulDivRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  InkRows<false>(s, d, width, rgbOrder);
}

void CmykToRgbMulDivRowPackedAvx512(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  InkRows<true>(s, d, width, rgbOrder);
}

}  // namespace qclr
#endif
