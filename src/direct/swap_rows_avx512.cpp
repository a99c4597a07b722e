// RGB <-> BGR rows, 64 pixels (192 bytes, three 512-bit vectors) a step; the same
// with every byte inverted (255 - x) for the ink rows of CMY.
//
// Lanes: the three loaded vectors are spread into four whose 128-bit lane k holds
// the 12 bytes of 4 pixels (dword permutes across the pair of vectors they span),
// a byte shuffle exchanges bytes 0 and 2 of each pixel within its lane, and three
// dword permutes gather the 4 x 4 x 12 bytes back into three whole vectors.
//
// Memory: a step reads its 192 source bytes before it writes its 192 destination
// bytes, so the destination may be the source (or lie before it). The pixels before
// the first destination byte on a 64-byte boundary (whole cache lines store
// faster), and the pixels after the last whole step, go 16 at a time through
// masked loads and stores of exactly their bytes. Nothing outside the row is read
// or written.
#include "direct/swap_rows.h"

#if QCLR_X86_SIMD
#include <cstddef>

#include "direct/simd_avx512.h"

namespace qclr {
namespace {

using avx512::kZ;

// Bytes 2 1 0 5 4 3 8 7 6 11 10 9 of each lane; the last 4 bytes are not used.
__m512i SwapShuffle() {
  return _mm512_broadcast_i32x4(
      _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, kZ, kZ, kZ, kZ));
}

// Pixels a row starts with so that the 64-pixel steps after them store to whole
// cache lines: 3 p = -d (mod 64), 43 being the inverse of 3 modulo 64.
int32_t PixelsToAlign(const uint8_t* d) {
  const auto misalignment = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(d) % 64);
  return static_cast<int32_t>((43 * ((64 - misalignment) % 64)) % 64);
}

// Up to 16 pixels a step, through masked loads and stores of exactly their bytes.
template <bool kInvert>
void SwapFew(const uint8_t* s, uint8_t* d, int32_t count) {
  const __m512i flip = _mm512_set1_epi8(kInvert ? -1 : 0);
  const __m512i spread = _mm512_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 9, 10, 11, 0);
  const __m512i gather = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 0, 0, 0, 0);
  for (int32_t x = 0; x < count; x += 16, s += 48, d += 48) {
    const int32_t n = count - x < 16 ? count - x : 16;
    const __mmask64 bytes = avx512::ByteMask(3 * n);
    const __m512i v = _mm512_xor_si512(_mm512_maskz_loadu_epi8(bytes, s), flip);
    const __m512i lanes = _mm512_shuffle_epi8(_mm512_permutexvar_epi32(spread, v), SwapShuffle());
    _mm512_mask_storeu_epi8(d, bytes, _mm512_permutexvar_epi32(gather, lanes));
  }
}

template <bool kInvert>
void SwapPixels(const uint8_t* s, uint8_t* d, int32_t width) {
  int32_t x = PixelsToAlign(d) < width ? PixelsToAlign(d) : width;
  SwapFew<kInvert>(s, d, x);
  s += 3 * ptrdiff_t{x};
  d += 3 * ptrdiff_t{x};
  const __m512i flip = _mm512_set1_epi8(kInvert ? -1 : 0);
  const __m512i swap = SwapShuffle();
  // Lane k of spread vector j: pixels 16 j + 4 k .. + 3, the dwords 12 j + 3 k .. + 2.
  const __m512i spread0 = _mm512_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 9, 10, 11, 0);
  const __m512i spread1 =
      _mm512_setr_epi32(12, 13, 14, 0, 15, 16, 17, 0, 18, 19, 20, 0, 21, 22, 23, 0);
  const __m512i spread2 =
      _mm512_setr_epi32(8, 9, 10, 0, 11, 12, 13, 0, 14, 15, 16, 0, 17, 18, 19, 0);
  const __m512i spread3 = _mm512_setr_epi32(4, 5, 6, 0, 7, 8, 9, 0, 10, 11, 12, 0, 13, 14, 15, 0);
  // The 48 used dwords of the four spread vectors back into three whole ones.
  const __m512i gather0 = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 20);
  const __m512i gather1 =
      _mm512_setr_epi32(5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25);
  const __m512i gather2 =
      _mm512_setr_epi32(10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25, 26, 28, 29, 30);
  const avx512::LineStores lines(d);
  for (; width - x >= 64; x += 64, s += 192, d += 192) {
    const __m512i z0 = _mm512_xor_si512(_mm512_loadu_si512(s), flip);
    const __m512i z1 = _mm512_xor_si512(_mm512_loadu_si512(s + 64), flip);
    const __m512i z2 = _mm512_xor_si512(_mm512_loadu_si512(s + 128), flip);
    const __m512i e0 = _mm512_shuffle_epi8(_mm512_permutexvar_epi32(spread0, z0), swap);
    const __m512i e1 = _mm512_shuffle_epi8(_mm512_permutex2var_epi32(z0, spread1, z1), swap);
    const __m512i e2 = _mm512_shuffle_epi8(_mm512_permutex2var_epi32(z1, spread2, z2), swap);
    const __m512i e3 = _mm512_shuffle_epi8(_mm512_permutexvar_epi32(spread3, z2), swap);
    lines.Store(d, _mm512_permutex2var_epi32(e0, gather0, e1));
    lines.Store(d + 64, _mm512_permutex2var_epi32(e1, gather1, e2));
    lines.Store(d + 128, _mm512_permutex2var_epi32(e2, gather2, e3));
  }
  lines.Finish();
  SwapFew<kInvert>(s, d, width - x);
}

}  // namespace

void SwapRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width) {
  SwapPixels<false>(s, d, width);
}

void SwapInvertRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width) {
  SwapPixels<true>(s, d, width);
}

}  // namespace qclr
#endif
