// The CSP_XYZ decoder row with AVX-512: 8 pixels a step in 8 double lanes, with
// the operations of the portable row in their order.
//
// Memory: a step reads its 8 source pixels (192 bytes) and then writes its 8
// destination pixels; the width mod 8 pixels at the end of a row go through the
// portable row. Nothing outside the row is read or written.
#include "direct/xyz_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include "direct/pixel_shuffle_x86.h"

// GCC 12 takes the undefined upper lanes that many intrinsics start from for
// uninitialised values.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace qclr::xyz {
namespace {

__m512d Set(double v) { return _mm512_set1_pd(v); }

// Channel c of 8 pixels x0 y0 z0 x1 ... held in a (pixels 0..2), b and c: source
// double 3k + c for lane k, from a and b where it lies below 16, else from c.
__m512d Channel(__m512d a, __m512d b, __m512d c, int channel) {
  long long fromAb[8], fromC[8];
  __mmask8 takeC = 0;
  for (int k = 0; k < 8; ++k) {
    const int source = 3 * k + channel;
    fromAb[k] = source < 16 ? source : 0;
    fromC[k] = source >= 16 ? source - 16 : 0;
    if (source >= 16) takeC = static_cast<__mmask8>(takeC | (1 << k));
  }
  const __m512d ab = _mm512_permutex2var_pd(a, _mm512_loadu_si512(fromAb), b);
  return _mm512_mask_permutexvar_pd(ab, takeC, _mm512_loadu_si512(fromC), c);
}

// FloorToByte of each lane, as bytes 0..7: 255 from 255 up, the truncation
// otherwise, 0 where that is not positive (NaN and values beyond the integer
// range truncate to the integer indefinite value, which is negative).
__m128i FloorToBytes(__m512d v) {
  const __m512d floor = _mm512_roundscale_pd(v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
  const __m256i truncated = _mm256_max_epi32(_mm512_cvttpd_epi32(floor), _mm256_setzero_si256());
  const __mmask8 saturated = _mm512_cmp_pd_mask(floor, Set(255.0), _CMP_GE_OQ);
  return _mm256_cvtepi32_epi8(_mm256_mask_mov_epi32(truncated, saturated, _mm256_set1_epi32(255)));
}

}  // namespace

void XyzToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const JoinMasks join;
  int32_t i = 0;
  for (; i + 8 <= width; i += 8, s += 192, d += 24) {
    const double* in = reinterpret_cast<const double*>(s);
    const __m512d a = _mm512_loadu_pd(in), b = _mm512_loadu_pd(in + 8), c = _mm512_loadu_pd(in + 16);
    const __m512d x = Channel(a, b, c, 0), y = Channel(a, b, c, 1), z = Channel(a, b, c, 2);
    // 2.998 x - 1.458 y - 0.541 z, -0.952 x + 1.893 y + 0.059 z, 0.099 x - 0.198 y + 1.099 z.
    const __m512d r = _mm512_sub_pd(_mm512_sub_pd(_mm512_mul_pd(Set(2.998), x), _mm512_mul_pd(Set(1.458), y)),
                                    _mm512_mul_pd(Set(0.541), z));
    const __m512d g =
        _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(Set(-0.952), x), _mm512_mul_pd(Set(1.893), y)),
                      _mm512_mul_pd(Set(0.059), z));
    const __m512d bl =
        _mm512_add_pd(_mm512_sub_pd(_mm512_mul_pd(Set(0.099), x), _mm512_mul_pd(Set(0.198), y)),
                      _mm512_mul_pd(Set(1.099), z));
    const __m128i rBytes = FloorToBytes(_mm512_mul_pd(Set(255.0), r));
    const __m128i gBytes = FloorToBytes(_mm512_mul_pd(Set(255.0), g));
    const __m128i bBytes = FloorToBytes(_mm512_mul_pd(Set(255.0), bl));
    const __m128i first = pos.r == 0 ? rBytes : bBytes, last = pos.r == 0 ? bBytes : rBytes;
    join.Store(_mm_unpacklo_epi64(first, gBytes), last, d);
  }
  XyzToRgbRowPortable(s, d, width - i, pos);
}

}  // namespace qclr::xyz

#endif
