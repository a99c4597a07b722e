// Lab rows with AVX2: 8 pixels a step, as two halves of 4 double lanes, the same
// operations in the same order as the one-pixel fast arithmetic of
// lab_tables.cpp, with table lookups as gathers.
//
// Memory: a step reads its 24 source bytes and then writes its 24 destination
// bytes; the width mod 8 pixels at the end of a row go through the one-pixel
// rows. Nothing outside the row is read or written; the tables are read anywhere.
#include "direct/lab_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include <bit>
#include <cstring>

#include "numeric/lab_companding.h"
#include "direct/pixel_shuffle_x86.h"

// GCC 12 takes the undefined upper lanes that many intrinsics start from (gathers,
// conversions) for uninitialised values.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace qclr::lab {
namespace {

__m256d Set(double v) { return _mm256_set1_pd(v); }

__m256d Gather32(const double* table, __m128i index) { return _mm256_i32gather_pd(table, index, 8); }
__m256d Gather64(const double* table, __m256i index) { return _mm256_i64gather_pd(table, index, 8); }
__m256d Set(float v) { return _mm256_set1_pd(static_cast<double>(v)); }

// Lanes 0..3 (half 0) or 4..7 (half 1) of 8 bytes, as 32-bit integers.
__m128i Widen(__m128i bytes, int half) {
  return _mm_cvtepu8_epi32(half == 0 ? bytes : _mm_srli_si128(bytes, 4));
}

// Bytes 0..3 of the result: the low 8 bits of each 32-bit lane.
__m128i Narrow(__m128i lanes) {
  return _mm_shuffle_epi8(lanes, _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1));
}

// The low 32 bits of each 64-bit lane.
__m128i LowHalves(__m256i v) {
  return _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
}

__m256i BucketKeys(__m256d v, double low) {
  return _mm256_sub_epi64(
      _mm256_srli_epi64(_mm256_castpd_si256(_mm256_max_pd(v, Set(low))), kBucketShift),
      _mm256_set1_epi64x(static_cast<long long>(std::bit_cast<uint64_t>(low) >> kBucketShift)));
}

__m256i Bits64(uint64_t v) { return _mm256_set1_epi64x(static_cast<long long>(v)); }

// CubeRootFast in every lane, its small tables gathered.
__m256d CubeRoots(const EncodeTables& t, __m256d v) {
  const __m256i bits = _mm256_castpd_si256(v);
  const __m256i j = _mm256_and_si256(_mm256_srli_epi64(bits, 48), Bits64(15));
  const __m256i e = _mm256_and_si256(_mm256_srli_epi64(bits, 52), Bits64(7));
  const __m256d m = _mm256_castsi256_pd(
      _mm256_or_si256(_mm256_and_si256(bits, Bits64(kFractionBits)), Bits64(std::bit_cast<uint64_t>(1.0))));
  const __m256d middle = _mm256_castsi256_pd(_mm256_or_si256(
      _mm256_and_si256(bits, Bits64(kSixteenthBits)), Bits64(std::bit_cast<uint64_t>(1.0) | kHalfSixteenth)));
  const __m256d u = _mm256_mul_pd(_mm256_sub_pd(m, middle), Gather64(t.middleInverse.data(), j));
  __m256d series = Set(kCubeRootSeries[4]);
  for (int k = 3; k >= 0; --k) series = _mm256_add_pd(Set(kCubeRootSeries[k]), _mm256_mul_pd(u, series));
  series = _mm256_add_pd(Set(1.0), _mm256_mul_pd(u, series));
  return _mm256_mul_pd(_mm256_mul_pd(Gather64(t.middleRoot.data(), j), series),
                       Gather64(t.octaveRoot.data(), e));
}

// LabCompand with CubeRootFast; `root` is all ones in the lanes that took the cube root.
__m256d Compand(const EncodeTables& t, __m256d v, __m256d& root) {
  root = _mm256_cmp_pd(v, Set(0.008856), _CMP_GT_OQ);
  const __m256d cubeRoot =
      CubeRoots(t, _mm256_max_pd(v, Set(EncodeTables::kCubeRootLow)));  // v itself where root
  const __m256d line = _mm256_add_pd(_mm256_mul_pd(Set(kLabLine77867.slope), v), Set(kLabLine77867.offset));
  return _mm256_blendv_pd(line, cubeRoot, root);
}

// All ones in the lanes within 2^-20 of an integer (NearInteger); v is small.
__m256d NearIntegers(__m256d v) {
  const __m256d difference = _mm256_sub_pd(v, _mm256_round_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
  const __m256d distance = _mm256_andnot_pd(Set(-0.0), difference);
  return _mm256_or_pd(_mm256_cmp_pd(distance, Set(0x1p-20), _CMP_LT_OQ),
                      _mm256_cmp_pd(distance, Set(1 - 0x1p-20), _CMP_GT_OQ));
}

__m256d WhiteSum(__m256d r, __m256d g, __m256d b, float wr, float wg, float wb) {
  return _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(Set(wr), r), _mm256_mul_pd(Set(wg), g)),
                       _mm256_mul_pd(Set(wb), b));
}

// Four pixels of RgbToLabPixelFast: the L, a, b bytes in bytes 0..3 of each
// result; returns the lanes that need the exact function (bits 0..3).
int EncodeHalf(const EncodeTables& t, __m128i red, __m128i green, __m128i blue, __m128i& lBytes,
               __m128i& aBytes, __m128i& bBytes) {
  const double* linear = t.linear->data();
  const __m256d r = Gather32(linear, red);
  const __m256d g = Gather32(linear, green);
  const __m256d b = Gather32(linear, blue);
  const __m256d hundred = Set(100.0);
  const __m256d wx = _mm256_mul_pd(_mm256_mul_pd(WhiteSum(r, g, b, 0.412453f, 0.357580f, 0.180423f), hundred),
                                   Set(0.010524476602567397));
  const __m256d wy =
      _mm256_mul_pd(_mm256_mul_pd(WhiteSum(r, g, b, 0.212671f, 0.715160f, 0.072169f), hundred), Set(0.01));
  const __m256d wz = _mm256_mul_pd(_mm256_mul_pd(WhiteSum(r, g, b, 0.019334f, 0.119193f, 0.950227f), hundred),
                                   Set(0.009194134194011438));
  __m256d rootX, rootY, rootZ;
  const __m256d fx = Compand(t, wx, rootX), fy = Compand(t, wy, rootY), fz = Compand(t, wz, rootZ);
  const __m256d vl = _mm256_sub_pd(_mm256_mul_pd(Set(116.0), fy), Set(16.0));
  const __m256d va = _mm256_mul_pd(Set(500.0), _mm256_sub_pd(fx, fy));
  const __m256d vb = _mm256_mul_pd(Set(200.0), _mm256_sub_pd(fy, fz));
  const __m256d exact =
      _mm256_or_pd(_mm256_or_pd(_mm256_and_pd(NearIntegers(vl), rootY),
                                _mm256_and_pd(NearIntegers(va), _mm256_or_pd(rootX, rootY))),
                   _mm256_and_pd(NearIntegers(vb), _mm256_or_pd(rootY, rootZ)));
  // L: its low 8 bits times 255 / 100 = 51 / 20 (ScaleLightness).
  const __m128i lowL = _mm_and_si128(_mm256_cvttpd_epi32(vl), _mm_set1_epi32(255));
  lBytes = Narrow(_mm_srli_epi32(_mm_mullo_epi32(lowL, _mm_set1_epi32(51 * 52429)), 20));
  aBytes = Narrow(_mm256_cvttpd_epi32(va));
  bBytes = Narrow(_mm256_cvttpd_epi32(vb));
  return _mm256_movemask_pd(exact);
}

// GammaByteFast of Clamp01(linear), in bytes 0..3.
__m128i GammaBytes(const DecodeTables& t, __m256d linear) {
  const __m256d clamped = _mm256_min_pd(_mm256_max_pd(linear, _mm256_setzero_pd()), Set(1.0));
  const __m256d v = _mm256_max_pd(clamped, Set(DecodeTables::kGammaLow));
  const __m256i entry = _mm256_i64gather_epi64(reinterpret_cast<const long long*>(t.gamma.data()),
                                               BucketKeys(v, DecodeTables::kGammaLow), 8);
  const __m256i low =
      _mm256_and_si256(_mm256_castpd_si256(v), _mm256_set1_epi64x(static_cast<long long>(kBucketLowBits)));
  const __m256i bound =
      _mm256_and_si256(entry, _mm256_set1_epi64x(static_cast<long long>(2 * kBucketLowBits + 1)));
  // Both below 2^45: the signed comparison is exact. stays is -1 where the byte does not grow.
  const __m256i stays = _mm256_cmpgt_epi64(bound, low);
  const __m256i byte =
      _mm256_add_epi64(_mm256_srli_epi64(entry, 48), _mm256_add_epi64(_mm256_set1_epi64x(1), stays));
  return Narrow(LowHalves(byte));
}

// Four pixels of the decoder: the R, G, B bytes in bytes 0..3 of each result.
void DecodeHalf(const DecodeTables& t, __m128i l8, __m128i a, __m128i bb, __m128i& rBytes, __m128i& gBytes,
                __m128i& bBytes) {
  const __m128i l = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(l8), Set(0.39215686274509803)));
  const __m128i row = _mm_slli_epi32(l, 8);
  const __m256d x = Gather32(t.x.data(), _mm_add_epi32(row, a));
  const __m256d y = Gather32(t.y.data(), l);
  const __m256d z = Gather32(t.z.data(), _mm_add_epi32(row, bb));
  // LinearRed, LinearGreen, LinearBlue.
  const __m256d r =
      _mm256_sub_pd(_mm256_sub_pd(_mm256_mul_pd(Set(3.240479f), x), _mm256_mul_pd(Set(0.498535f), z)),
                    _mm256_mul_pd(Set(1.537150f), y));
  const __m256d g =
      _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(Set(-0.969256f), x), _mm256_mul_pd(Set(1.875992f), y)),
                    _mm256_mul_pd(Set(0.041556f), z));
  const __m256d b =
      _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(Set(0.055648f), x), _mm256_mul_pd(Set(0.204043f), y)),
                    _mm256_mul_pd(Set(1.057311f), z));
  rBytes = GammaBytes(t, r);
  gBytes = GammaBytes(t, g);
  bBytes = GammaBytes(t, b);
}

// Bytes 0..3 of `low` and of `high` as bytes 0..7.
__m128i Join4(__m128i low, __m128i high) { return _mm_unpacklo_epi32(low, high); }

}  // namespace

void RgbToLabRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const EncodeTables& t = Encode();
  const ChannelMasks redMask = SplitMasks(pos.r), greenMask = SplitMasks(1), blueMask = SplitMasks(pos.b);
  const JoinMasks join;
  int32_t x = 0;
  for (; x + 8 <= width; x += 8, s += 24, d += 24) {
    const Pixels8 pixels(s);
    const __m128i red = pixels.Channel(redMask), green = pixels.Channel(greenMask),
                  blue = pixels.Channel(blueMask);
    __m128i l[2], a[2], b[2];
    int exact = 0;
    for (int half = 0; half < 2; ++half) {
      exact |=
          EncodeHalf(t, Widen(red, half), Widen(green, half), Widen(blue, half), l[half], a[half], b[half])
          << (4 * half);
    }
    // The exact pixels are computed before the store, which may overwrite s.
    uint8_t exactBytes[8][3];
    for (unsigned lanes = static_cast<unsigned>(exact); lanes != 0; lanes &= lanes - 1) {
      const uint8_t* p = s + 3 * std::countr_zero(lanes);
      RgbToLabPixelExact(p[pos.r], p[1], p[pos.b], exactBytes[std::countr_zero(lanes)]);
    }
    join.Store(_mm_unpacklo_epi64(Join4(l[0], l[1]), Join4(a[0], a[1])), Join4(b[0], b[1]), d);
    for (unsigned lanes = static_cast<unsigned>(exact); lanes != 0; lanes &= lanes - 1) {
      std::memcpy(d + 3 * std::countr_zero(lanes), exactBytes[std::countr_zero(lanes)], 3);
    }
  }
  RgbToLabRowTables(s, d, width - x, pos);
}

void LabToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const DecodeTables& t = Decode();
  const ChannelMasks lMask = SplitMasks(0), aMask = SplitMasks(1), bMask = SplitMasks(2);
  const JoinMasks join;
  int32_t i = 0;
  for (; i + 8 <= width; i += 8, s += 24, d += 24) {
    const Pixels8 pixels(s);
    const __m128i l8 = pixels.Channel(lMask), a = pixels.Channel(aMask), b = pixels.Channel(bMask);
    __m128i r[2], g[2], bl[2];
    for (int half = 0; half < 2; ++half) {
      DecodeHalf(t, Widen(l8, half), Widen(a, half), Widen(b, half), r[half], g[half], bl[half]);
    }
    const __m128i rBytes = Join4(r[0], r[1]), gBytes = Join4(g[0], g[1]), bBytes = Join4(bl[0], bl[1]);
    const __m128i first = pos.r == 0 ? rBytes : bBytes, last = pos.r == 0 ? bBytes : rBytes;
    join.Store(_mm_unpacklo_epi64(first, gBytes), last, d);
  }
  LabToRgbRowTables(s, d, width - i, pos);
}

}  // namespace qclr::lab

#endif
