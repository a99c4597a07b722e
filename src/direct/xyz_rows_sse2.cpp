// CSP_XYZ rows with SSE2: 2 pixels a step in double lanes, with the operations of
// the portable rows in their order.
//
// Memory: a step reads its 2 source pixels and then writes its 2 destination
// pixels; an odd last pixel goes through the portable rows. Nothing outside the
// row is read or written.
#include "direct/xyz_rows.h"

#if QCLR_X86_SIMD
#include <emmintrin.h>

namespace qclr::xyz {
namespace {

__m128d Set(double v) { return _mm_set1_pd(v); }

__m128d Bytes(const uint8_t* s, int c) { return _mm_cvtepi32_pd(_mm_setr_epi32(s[c], s[3 + c], 0, 0)); }

// a + b + c as written: (a + b) + c.
__m128d Sum3(__m128d a, __m128d b, __m128d c) { return _mm_add_pd(_mm_add_pd(a, b), c); }

// FloorToByte of each lane: floor(v) >= 255 exactly where v >= 255, and floor(v)
// truncates to a positive integer exactly where v >= 1, to floor(v) = trunc(v);
// below 1, NaN included, the byte is 0.
__m128i FloorToBytes(__m128d v) {
  const __m128i atLeast255 = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpge_pd(v, Set(255.0))), 0b1000);
  const __m128i atLeast1 = _mm_shuffle_epi32(_mm_castpd_si128(_mm_cmpge_pd(v, Set(1.0))), 0b1000);
  const __m128i truncated = _mm_and_si128(_mm_cvttpd_epi32(v), atLeast1);
  return _mm_or_si128(_mm_andnot_si128(atLeast255, truncated),
                      _mm_and_si128(atLeast255, _mm_set1_epi32(255)));
}

uint8_t Lane0(__m128i v) { return static_cast<uint8_t>(_mm_cvtsi128_si32(v)); }

}  // namespace

void RgbToXyzRowSse2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  int32_t i = 0;
  for (; i + 2 <= width; i += 2, s += 6, d += 48) {
    const __m128d r = _mm_div_pd(Bytes(s, pos.r), Set(255.0));
    const __m128d g = _mm_div_pd(Bytes(s, 1), Set(255.0));
    const __m128d b = _mm_div_pd(Bytes(s, pos.b), Set(255.0));
    const __m128d x =
        Sum3(_mm_mul_pd(Set(25.9232), r), _mm_mul_pd(Set(36.136), g), _mm_mul_pd(Set(22.9809), b));
    const __m128d y =
        Sum3(_mm_mul_pd(Set(14.6733), r), _mm_mul_pd(Set(69.9554), g), _mm_mul_pd(Set(11.458), b));
    const __m128d z =
        Sum3(_mm_mul_pd(Set(1.3834), r), _mm_mul_pd(Set(12.3235), g), _mm_mul_pd(Set(119.3425), b));
    double* out = reinterpret_cast<double*>(d);
    _mm_storeu_pd(out, _mm_unpacklo_pd(x, y));        // x0 y0
    _mm_storeu_pd(out + 2, _mm_shuffle_pd(z, x, 2));  // z0 x1
    _mm_storeu_pd(out + 4, _mm_unpackhi_pd(y, z));    // y1 z1
  }
  RgbToXyzRowPortable(s, d, width - i, pos);
}

void XyzToRgbRowSse2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  int32_t i = 0;
  for (; i + 2 <= width; i += 2, s += 48, d += 6) {
    const double* in = reinterpret_cast<const double*>(s);
    const __m128d a = _mm_loadu_pd(in), b = _mm_loadu_pd(in + 2), c = _mm_loadu_pd(in + 4);
    const __m128d x = _mm_shuffle_pd(a, b, 2), y = _mm_shuffle_pd(a, c, 1), z = _mm_shuffle_pd(b, c, 2);
    // 2.998 x - 1.458 y - 0.541 z, -0.952 x + 1.893 y + 0.059 z, 0.099 x - 0.198 y + 1.099 z.
    const __m128d r = _mm_sub_pd(_mm_sub_pd(_mm_mul_pd(Set(2.998), x), _mm_mul_pd(Set(1.458), y)),
                                 _mm_mul_pd(Set(0.541), z));
    const __m128d g = Sum3(_mm_mul_pd(Set(-0.952), x), _mm_mul_pd(Set(1.893), y), _mm_mul_pd(Set(0.059), z));
    const __m128d bl = _mm_add_pd(_mm_sub_pd(_mm_mul_pd(Set(0.099), x), _mm_mul_pd(Set(0.198), y)),
                                  _mm_mul_pd(Set(1.099), z));
    const __m128i red = FloorToBytes(_mm_mul_pd(Set(255.0), r));
    const __m128i green = FloorToBytes(_mm_mul_pd(Set(255.0), g));
    const __m128i blue = FloorToBytes(_mm_mul_pd(Set(255.0), bl));
    d[pos.r] = Lane0(red);
    d[1] = Lane0(green);
    d[pos.b] = Lane0(blue);
    d[3 + pos.r] = Lane0(_mm_srli_si128(red, 4));
    d[4] = Lane0(_mm_srli_si128(green, 4));
    d[3 + pos.b] = Lane0(_mm_srli_si128(blue, 4));
  }
  XyzToRgbRowPortable(s, d, width - i, pos);
}

}  // namespace qclr::xyz

#endif
