// YCCK rows, 8 pixels a step in 256-bit vectors: RGB to CMYK with full undercolour
// removal, CMYK <-> YCCK, and both definitions of CMYK to RGB by the ink product.
//
// Memory: a step reads exactly its source bytes and writes exactly its destination
// bytes, except that a CMYK to RGB step stores 32 bytes while the row has them (the
// next step overwrites the last 8). What is left after the last whole step goes
// through the portable row (the width mod 8 pixels of the packed CMYK to RGB row
// through the MulDiv formula, as its definition does). Nothing outside the row is
// read or written.
//
// Arithmetic: as in ycck_rows_avx512.cpp, which explains why it is exact.
#include "direct/ycck_kernels.h"

#if QCLR_X86_SIMD
#include "direct/conversion_tables.h"
#include "direct/simd_avx2.h"

namespace qclr {
namespace {

using avx2::kZ;
using avx2::Weights;

__m256i Madd(__m256i pairs, int lo, int hi) {
  return _mm256_madd_epi16(pairs, _mm256_set1_epi32(Weights(lo, hi)));
}

__m256i Broadcast(__m128i lane) { return _mm256_broadcastsi128_si256(lane); }

__m256i LoadCmyk(const uint8_t* s) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
}

void StoreCmyk(uint8_t* d, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), v); }

// Four 32-bit lanes a pixel (each 0..255) into bytes a b c d of its 32-bit lane.
__m256i PackFour(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i bytes = _mm256_packus_epi16(_mm256_packus_epi32(a, b), _mm256_packus_epi32(c, d));
  return _mm256_shuffle_epi8(
      bytes, Broadcast(_mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15)));
}

// The ink product of 16 CMYK pixels: 255 - (x + K - MulDiv(x, K, 255)) (plain) or
// 255 - (x - ((x K) >> 8) + K) saturated (packed), bytes 0..2 of each 32-bit lane.
template <bool kPacked>
__m256i InkProduct(__m256i cmyk) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i spreadK =
      Broadcast(_mm_setr_epi8(6, kZ, 6, kZ, 6, kZ, 6, kZ, 14, kZ, 14, kZ, 14, kZ, 14, kZ));
  const auto half = [&](__m256i x) {  // 16-bit lanes C M Y K of two pixels
    const __m256i k = _mm256_shuffle_epi8(x, spreadK);
    const __m256i product = _mm256_mullo_epi16(x, k);
    if (kPacked) {
      const __m256i v = _mm256_adds_epu16(_mm256_sub_epi16(x, _mm256_srli_epi16(product, 8)), k);
      return _mm256_subs_epu16(_mm256_set1_epi16(255), v);
    }
    const __m256i m = _mm256_add_epi16(product, _mm256_set1_epi16(127));
    const __m256i mulDiv = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_add_epi16(m, _mm256_set1_epi16(1)), _mm256_srli_epi16(m, 8)), 8);
    return _mm256_sub_epi16(_mm256_add_epi16(_mm256_set1_epi16(255), mulDiv),
                            _mm256_add_epi16(x, k));
  };
  return _mm256_packus_epi16(half(_mm256_unpacklo_epi8(cmyk, zero)),
                             half(_mm256_unpackhi_epi8(cmyk, zero)));
}

template <bool kPacked>
void InkRows(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 32, d += 24) {
    avx2::StorePixelLanes3(d, avx2::PixelOrder(InkProduct<kPacked>(LoadCmyk(s)), rgbOrder),
                           3 * ptrdiff_t{width - x});
  }
  CmykToRgbMulDivRow(s, d, width - x, rgbOrder);  // fewer than 8: the MulDiv formula in both
}

}  // namespace

void RgbToCmykFullRemovalRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  // c m y of each pixel from avx2::LoadPixelLanes3, then 0.
  const __m256i inks =
      rgbOrder ? _mm256_setr_epi8(0, 1, 2, kZ, 3, 4, 5, kZ, 6, 7, 8, kZ, 9, 10, 11, kZ, 4, 5, 6, kZ,
                                  7, 8, 9, kZ, 10, 11, 12, kZ, 13, 14, 15, kZ)
               : _mm256_setr_epi8(2, 1, 0, kZ, 5, 4, 3, kZ, 8, 7, 6, kZ, 11, 10, 9, kZ, 6, 5, 4, kZ,
                                  9, 8, 7, kZ, 12, 11, 10, kZ, 15, 14, 13, kZ);
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 24, d += 32) {
    const __m256i cmy = avx2::InvertInks(_mm256_shuffle_epi8(avx2::LoadPixelLanes3(s), inks));
    const __m256i k = avx2::LowestOfThree(cmy);
    StoreCmyk(
        d, _mm256_or_si256(_mm256_sub_epi8(cmy, avx2::ToThreeBytes(k)), _mm256_slli_epi32(k, 24)));
  }
  RgbToCmykFullRemovalRow(s, d, width - x, rgbOrder);
}

void CmykToYcckRowAvx2(const YccTables& tables, const uint8_t* s, uint8_t* d, int32_t width) {
  const __m256i rgMask =
      Broadcast(_mm_setr_epi8(0, kZ, 1, kZ, 4, kZ, 5, kZ, 8, kZ, 9, kZ, 12, kZ, 13, kZ));
  const __m256i gbMask =
      Broadcast(_mm_setr_epi8(1, kZ, 2, kZ, 5, kZ, 6, kZ, 9, kZ, 10, kZ, 13, kZ, 14, kZ));
  const __m256i bias = _mm256_set1_epi32(8421375);
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 32, d += 32) {
    const __m256i cmyk = LoadCmyk(s);
    const __m256i rgbk = avx2::InvertInks(cmyk);
    const __m256i rg = _mm256_shuffle_epi8(rgbk, rgMask), gb = _mm256_shuffle_epi8(rgbk, gbMask);
    const __m256i r = _mm256_and_si256(rg, _mm256_set1_epi32(0xFFFF)),
                  b = _mm256_srli_epi32(gb, 16);
    const __m256i y = _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_add_epi32(Madd(rg, 19595, 19235), Madd(gb, 19235, 7471)),
                         _mm256_set1_epi32(32768)),
        16);
    const __m256i cb = _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_add_epi32(Madd(rg, -11059, -21709), _mm256_slli_epi32(b, 15)),
                         bias),
        16);
    const __m256i cr = _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_add_epi32(_mm256_slli_epi32(r, 15), Madd(gb, -27439, -5329)), bias),
        16);
    StoreCmyk(d, PackFour(y, cb, cr, _mm256_srli_epi32(cmyk, 24)));
  }
  CmykToYcckRow(tables, s, d, width - x);
}

void YcckToCmykRowAvx2(const YccTables& tables, const uint8_t* s, uint8_t* d, int32_t width) {
  // 256 (Cb - 128) and 256 (Cr - 128) as signed 16-bit values: the bytes with
  // their top bit flipped, in the high half.
  const __m256i chromaMask =
      Broadcast(_mm_setr_epi8(kZ, 1, kZ, 2, kZ, 5, kZ, 6, kZ, 9, kZ, 10, kZ, 13, kZ, 14));
  const __m256i full = _mm256_set1_epi32(255), half24 = _mm256_set1_epi32(1 << 23);
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 32, d += 32) {
    const __m256i ycck = LoadCmyk(s);
    const __m256i chroma =
        _mm256_shuffle_epi8(_mm256_xor_si256(ycck, _mm256_set1_epi32(0x00808000)), chromaMask);
    const __m256i xb = _mm256_srai_epi32(_mm256_slli_epi32(chroma, 16), 24),
                  xr = _mm256_srai_epi32(chroma, 24);
    const __m256i level =
        _mm256_sub_epi32(full, _mm256_and_si256(ycck, _mm256_set1_epi32(0xFF)));  // 255 - y
    const __m256i crR = _mm256_add_epi32(
        xr, _mm256_srai_epi32(_mm256_add_epi32(Madd(chroma, 0, 26345), half24), 24));
    const __m256i cbB =
        _mm256_add_epi32(_mm256_add_epi32(xb, xb),
                         _mm256_srai_epi32(_mm256_add_epi32(Madd(chroma, -14942, 0), half24), 24));
    const __m256i g = _mm256_srai_epi32(
        _mm256_add_epi32(Madd(chroma, -11277, -23401), _mm256_set1_epi32(1 << 22)), 23);
    // The clamps to 0..255: signed to 16 bits, then unsigned to bytes (PackFour).
    const __m256i c = _mm256_max_epi32(_mm256_min_epi32(_mm256_sub_epi32(level, crR), full),
                                       _mm256_setzero_si256());
    const __m256i m = _mm256_max_epi32(_mm256_min_epi32(_mm256_sub_epi32(level, g), full),
                                       _mm256_setzero_si256());
    const __m256i yl = _mm256_max_epi32(_mm256_min_epi32(_mm256_sub_epi32(level, cbB), full),
                                        _mm256_setzero_si256());
    StoreCmyk(d, PackFour(c, m, yl, _mm256_srli_epi32(ycck, 24)));
  }
  YcckToCmykRow(tables, s, d, width - x);
}

void CmykToRgbMulDivRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  InkRows<false>(s, d, width, rgbOrder);
}

void CmykToRgbMulDivRowPackedAvx2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  InkRows<true>(s, d, width, rgbOrder);
}

}  // namespace qclr
#endif
