// CSP_XYZ rows with AVX2: 8 pixels a step, as two halves of 4 double lanes, with
// the operations of the portable rows in their order.
//
// Memory: a step reads its 8 source pixels and then writes its 8 destination
// pixels; the width mod 8 pixels at the end of a row go through the portable rows.
// Nothing outside the row is read or written.
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

__m256d Set(double v) { return _mm256_set1_pd(v); }

// a + b + c as written: (a + b) + c.
__m256d Sum3(__m256d a, __m256d b, __m256d c) { return _mm256_add_pd(_mm256_add_pd(a, b), c); }

// Four pixels of X, Y, Z lanes to 12 doubles x0 y0 z0 x1 ... and back.
void StoreInterleaved(__m256d x, __m256d y, __m256d z, uint8_t* d) {
  const __m256d xp = _mm256_permute4x64_pd(x, 0b01101100);  // x0 x3 x2 x1
  const __m256d yp = _mm256_permute4x64_pd(y, 0b10110001);  // y1 y0 y3 y2
  const __m256d zp = _mm256_permute4x64_pd(z, 0b11000110);  // z2 z1 z0 z3
  double* out = reinterpret_cast<double*>(d);
  _mm256_storeu_pd(out, _mm256_blend_pd(_mm256_blend_pd(xp, yp, 0b0010), zp, 0b0100));      // x0 y0 z0 x1
  _mm256_storeu_pd(out + 4, _mm256_blend_pd(_mm256_blend_pd(yp, zp, 0b0010), xp, 0b0100));  // y1 z1 x2 y2
  _mm256_storeu_pd(out + 8, _mm256_blend_pd(_mm256_blend_pd(zp, xp, 0b0010), yp, 0b0100));  // z2 x3 y3 z3
}

void LoadInterleaved(const uint8_t* s, __m256d& x, __m256d& y, __m256d& z) {
  const double* in = reinterpret_cast<const double*>(s);
  const __m256d a = _mm256_loadu_pd(in), b = _mm256_loadu_pd(in + 4), c = _mm256_loadu_pd(in + 8);
  x = _mm256_permute4x64_pd(_mm256_blend_pd(_mm256_blend_pd(a, b, 0b0100), c, 0b0010), 0b01101100);
  y = _mm256_permute4x64_pd(_mm256_blend_pd(_mm256_blend_pd(a, b, 0b1001), c, 0b0100), 0b10110001);
  z = _mm256_permute4x64_pd(_mm256_blend_pd(_mm256_blend_pd(a, b, 0b0010), c, 0b1001), 0b11000110);
}

// Four channel bytes (lanes 0..3 or 4..7 of 8) as doubles.
__m256d Bytes(__m128i bytes, int half) {
  return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(half == 0 ? bytes : _mm_srli_si128(bytes, 4)));
}

// FloorToByte of each lane, as the low byte of 32-bit lanes: 255 from 255 up, the
// truncation otherwise, 0 where that is not positive (NaN and values beyond the
// integer range truncate to the integer indefinite value, which is negative).
__m128i FloorToBytes(__m256d v) {
  const __m256d floor = _mm256_round_pd(v, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
  const __m128i truncated = _mm_max_epi32(_mm256_cvttpd_epi32(floor), _mm_setzero_si128());
  const __m256i wide = _mm256_castpd_si256(_mm256_cmp_pd(floor, Set(255.0), _CMP_GE_OQ));
  const __m128i saturated =
      _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(wide, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
  return _mm_blendv_epi8(truncated, _mm_set1_epi32(255), saturated);
}

// Bytes 0..3 of the result: the low 8 bits of each 32-bit lane.
__m128i Narrow(__m128i lanes) {
  return _mm_shuffle_epi8(lanes, _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1));
}

}  // namespace

void RgbToXyzRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const ChannelMasks red = SplitMasks(pos.r), green = SplitMasks(1), blue = SplitMasks(pos.b);
  int32_t i = 0;
  for (; i + 8 <= width; i += 8, s += 24, d += 192) {
    const Pixels8 pixels(s);
    const __m128i rBytes = pixels.Channel(red), gBytes = pixels.Channel(green), bBytes = pixels.Channel(blue);
    for (int half = 0; half < 2; ++half) {
      const __m256d r = _mm256_div_pd(Bytes(rBytes, half), Set(255.0));
      const __m256d g = _mm256_div_pd(Bytes(gBytes, half), Set(255.0));
      const __m256d b = _mm256_div_pd(Bytes(bBytes, half), Set(255.0));
      const __m256d x =
          Sum3(_mm256_mul_pd(Set(25.9232), r), _mm256_mul_pd(Set(36.136), g), _mm256_mul_pd(Set(22.9809), b));
      const __m256d y =
          Sum3(_mm256_mul_pd(Set(14.6733), r), _mm256_mul_pd(Set(69.9554), g), _mm256_mul_pd(Set(11.458), b));
      const __m256d z = Sum3(_mm256_mul_pd(Set(1.3834), r), _mm256_mul_pd(Set(12.3235), g),
                             _mm256_mul_pd(Set(119.3425), b));
      StoreInterleaved(x, y, z, d + 96 * half);
    }
  }
  RgbToXyzRowPortable(s, d, width - i, pos);
}

void XyzToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const JoinMasks join;
  int32_t i = 0;
  for (; i + 8 <= width; i += 8, s += 192, d += 24) {
    __m128i red[2], green[2], blue[2];
    for (int half = 0; half < 2; ++half) {
      __m256d x, y, z;
      LoadInterleaved(s + 96 * half, x, y, z);
      // 2.998 x - 1.458 y - 0.541 z, -0.952 x + 1.893 y + 0.059 z, 0.099 x - 0.198 y + 1.099 z.
      const __m256d r =
          _mm256_sub_pd(_mm256_sub_pd(_mm256_mul_pd(Set(2.998), x), _mm256_mul_pd(Set(1.458), y)),
                        _mm256_mul_pd(Set(0.541), z));
      const __m256d g =
          Sum3(_mm256_mul_pd(Set(-0.952), x), _mm256_mul_pd(Set(1.893), y), _mm256_mul_pd(Set(0.059), z));
      const __m256d b =
          _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(Set(0.099), x), _mm256_mul_pd(Set(0.198), y)),
                        _mm256_mul_pd(Set(1.099), z));
      red[half] = Narrow(FloorToBytes(_mm256_mul_pd(Set(255.0), r)));
      green[half] = Narrow(FloorToBytes(_mm256_mul_pd(Set(255.0), g)));
      blue[half] = Narrow(FloorToBytes(_mm256_mul_pd(Set(255.0), b)));
    }
    const __m128i rBytes = _mm_unpacklo_epi32(red[0], red[1]), bBytes = _mm_unpacklo_epi32(blue[0], blue[1]);
    const __m128i first = pos.r == 0 ? rBytes : bBytes, last = pos.r == 0 ? bBytes : rBytes;
    join.Store(_mm_unpacklo_epi64(first, _mm_unpacklo_epi32(green[0], green[1])), last, d);
  }
  XyzToRgbRowPortable(s, d, width - i, pos);
}

}  // namespace qclr::xyz

#endif
