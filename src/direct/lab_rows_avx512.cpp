// Lab rows with AVX-512: 8 pixels a step in 8 double lanes, the same operations
// in the same order as the one-pixel fast arithmetic of lab_tables.cpp, with
// table lookups as gathers.
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

__m512d Set(double v) { return _mm512_set1_pd(v); }

__m512d Gather32(const double* table, __m256i index) { return _mm512_i32gather_pd(index, table, 8); }
__m512d Set(float v) { return _mm512_set1_pd(static_cast<double>(v)); }

__m512i BucketKeys(__m512d v, double low) {
  return _mm512_sub_epi64(
      _mm512_srli_epi64(_mm512_castpd_si512(_mm512_max_pd(v, Set(low))), kBucketShift),
      _mm512_set1_epi64(static_cast<long long>(std::bit_cast<uint64_t>(low) >> kBucketShift)));
}

__m512i Bits64(uint64_t v) { return _mm512_set1_epi64(static_cast<long long>(v)); }

// CubeRootFast in every lane, its small tables in registers.
struct CubeRoots {
  __m512d middleRootLow, middleRootHigh, middleInverseLow, middleInverseHigh, octaveRoot;
  explicit CubeRoots(const EncodeTables& t)
      : middleRootLow(_mm512_loadu_pd(t.middleRoot.data())),
        middleRootHigh(_mm512_loadu_pd(t.middleRoot.data() + 8)),
        middleInverseLow(_mm512_loadu_pd(t.middleInverse.data())),
        middleInverseHigh(_mm512_loadu_pd(t.middleInverse.data() + 8)),
        octaveRoot(_mm512_loadu_pd(t.octaveRoot.data())) {}

  __m512d operator()(__m512d t) const {
    const __m512i bits = _mm512_castpd_si512(t);
    // Table indices: a permutation uses the low 4 (two registers) or 3 bits of each lane.
    const __m512i j = _mm512_srli_epi64(bits, 48), e = _mm512_srli_epi64(bits, 52);
    const __m512d m = _mm512_castsi512_pd(
        _mm512_or_si512(_mm512_and_si512(bits, Bits64(kFractionBits)), Bits64(std::bit_cast<uint64_t>(1.0))));
    const __m512d middle =
        _mm512_castsi512_pd(_mm512_or_si512(_mm512_and_si512(bits, Bits64(kSixteenthBits)),
                                            Bits64(std::bit_cast<uint64_t>(1.0) | kHalfSixteenth)));
    const __m512d u = _mm512_mul_pd(_mm512_sub_pd(m, middle),
                                    _mm512_permutex2var_pd(middleInverseLow, j, middleInverseHigh));
    __m512d series = Set(kCubeRootSeries[4]);
    for (int k = 3; k >= 0; --k) series = _mm512_add_pd(Set(kCubeRootSeries[k]), _mm512_mul_pd(u, series));
    series = _mm512_add_pd(Set(1.0), _mm512_mul_pd(u, series));
    return _mm512_mul_pd(_mm512_mul_pd(_mm512_permutex2var_pd(middleRootLow, j, middleRootHigh), series),
                         _mm512_permutexvar_pd(e, octaveRoot));
  }
};

// LabCompand with CubeRootFast; `root` marks the lanes that took the cube root.
__m512d Compand(const CubeRoots& cubeRoots, __m512d v, __mmask8& root) {
  root = _mm512_cmp_pd_mask(v, Set(0.008856), _CMP_GT_OQ);
  const __m512d cubeRoot =
      cubeRoots(_mm512_max_pd(v, Set(EncodeTables::kCubeRootLow)));  // v itself where root
  const __m512d line = _mm512_add_pd(_mm512_mul_pd(Set(kLabLine77867.slope), v), Set(kLabLine77867.offset));
  return _mm512_mask_blend_pd(root, line, cubeRoot);
}

// Lanes within 2^-20 of an integer (NearInteger); v is small.
__mmask8 NearIntegers(__m512d v) {
  const __m512d distance =
      _mm512_abs_pd(_mm512_sub_pd(v, _mm512_roundscale_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC)));
  return _mm512_cmp_pd_mask(distance, Set(0x1p-20), _CMP_LT_OQ) |
         _mm512_cmp_pd_mask(distance, Set(1 - 0x1p-20), _CMP_GT_OQ);
}

__m512d Linear(const std::array<double, 256>& table, __m128i bytes) {
  return Gather32(table.data(), _mm256_cvtepu8_epi32(bytes));
}

__m512d WhiteSum(__m512d r, __m512d g, __m512d b, float wr, float wg, float wb) {
  return _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(Set(wr), r), _mm512_mul_pd(Set(wg), g)),
                       _mm512_mul_pd(Set(wb), b));
}

// GammaByteFast of Clamp01(linear), as bytes 0..7.
__m128i GammaBytes(const DecodeTables& t, __m512d linear) {
  const __m512d clamped = _mm512_min_pd(_mm512_max_pd(linear, _mm512_setzero_pd()), Set(1.0));
  const __m512d v = _mm512_max_pd(clamped, Set(DecodeTables::kGammaLow));
  const __m512i entry = _mm512_i64gather_epi64(BucketKeys(v, DecodeTables::kGammaLow), t.gamma.data(), 8);
  const __mmask8 up = _mm512_cmp_epu64_mask(
      _mm512_and_si512(_mm512_castpd_si512(v), _mm512_set1_epi64(kBucketLowBits)),
      _mm512_and_si512(entry, _mm512_set1_epi64(2 * kBucketLowBits + 1)), _MM_CMPINT_NLT);
  const __m512i byte = _mm512_srli_epi64(entry, 48);
  return _mm512_cvtepi64_epi8(_mm512_mask_add_epi64(byte, up, byte, _mm512_set1_epi64(1)));
}

}  // namespace

void RgbToLabRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const EncodeTables& t = Encode();
  const CubeRoots cubeRoots(t);
  const ChannelMasks red = SplitMasks(pos.r), green = SplitMasks(1), blue = SplitMasks(pos.b);
  const JoinMasks join;
  int32_t x = 0;
  for (; x + 8 <= width; x += 8, s += 24, d += 24) {
    const Pixels8 pixels(s);
    const __m512d r = Linear(*t.linear, pixels.Channel(red));
    const __m512d g = Linear(*t.linear, pixels.Channel(green));
    const __m512d b = Linear(*t.linear, pixels.Channel(blue));
    const __m512d hundred = Set(100.0);
    const __m512d wx =
        _mm512_mul_pd(_mm512_mul_pd(WhiteSum(r, g, b, 0.412453f, 0.357580f, 0.180423f), hundred),
                      Set(0.010524476602567397));
    const __m512d wy =
        _mm512_mul_pd(_mm512_mul_pd(WhiteSum(r, g, b, 0.212671f, 0.715160f, 0.072169f), hundred), Set(0.01));
    const __m512d wz =
        _mm512_mul_pd(_mm512_mul_pd(WhiteSum(r, g, b, 0.019334f, 0.119193f, 0.950227f), hundred),
                      Set(0.009194134194011438));
    __mmask8 rootX, rootY, rootZ;
    const __m512d fx = Compand(cubeRoots, wx, rootX), fy = Compand(cubeRoots, wy, rootY),
                  fz = Compand(cubeRoots, wz, rootZ);
    const __m512d vl = _mm512_sub_pd(_mm512_mul_pd(Set(116.0), fy), Set(16.0));
    const __m512d va = _mm512_mul_pd(Set(500.0), _mm512_sub_pd(fx, fy));
    const __m512d vb = _mm512_mul_pd(Set(200.0), _mm512_sub_pd(fy, fz));
    const __mmask8 exact = (NearIntegers(vl) & rootY) | (NearIntegers(va) & (rootX | rootY)) |
                           (NearIntegers(vb) & (rootY | rootZ));
    // L: its low 8 bits times 255 / 100 = 51 / 20 (ScaleLightness).
    const __m256i lowL = _mm256_and_si256(_mm512_cvttpd_epi32(vl), _mm256_set1_epi32(255));
    const __m256i scaledL = _mm256_srli_epi32(_mm256_mullo_epi32(lowL, _mm256_set1_epi32(51 * 52429)), 20);
    const __m128i lBytes = _mm256_cvtepi32_epi8(scaledL);
    const __m128i aBytes = _mm256_cvtepi32_epi8(_mm512_cvttpd_epi32(va));
    const __m128i bBytes = _mm256_cvtepi32_epi8(_mm512_cvttpd_epi32(vb));
    // The exact pixels are computed before the store, which may overwrite s.
    uint8_t exactBytes[8][3];
    for (unsigned lanes = exact; lanes != 0; lanes &= lanes - 1) {
      const uint8_t* p = s + 3 * std::countr_zero(lanes);
      RgbToLabPixelExact(p[pos.r], p[1], p[pos.b], exactBytes[std::countr_zero(lanes)]);
    }
    join.Store(_mm_unpacklo_epi64(lBytes, aBytes), bBytes, d);
    for (unsigned lanes = exact; lanes != 0; lanes &= lanes - 1) {
      std::memcpy(d + 3 * std::countr_zero(lanes), exactBytes[std::countr_zero(lanes)], 3);
    }
  }
  RgbToLabRowTables(s, d, width - x, pos);
}

void LabToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const DecodeTables& t = Decode();
  const ChannelMasks lMask = SplitMasks(0), aMask = SplitMasks(1), bMask = SplitMasks(2);
  const JoinMasks join;
  int32_t i = 0;
  for (; i + 8 <= width; i += 8, s += 24, d += 24) {
    const Pixels8 pixels(s);
    const __m256i l8 = _mm256_cvtepu8_epi32(pixels.Channel(lMask));
    const __m256i l = _mm512_cvttpd_epi32(_mm512_mul_pd(_mm512_cvtepi32_pd(l8), Set(0.39215686274509803)));
    const __m256i row = _mm256_slli_epi32(l, 8);
    const __m512d x =
        Gather32(t.x.data(), _mm256_add_epi32(row, _mm256_cvtepu8_epi32(pixels.Channel(aMask))));
    const __m512d y = Gather32(t.y.data(), l);
    const __m512d z =
        Gather32(t.z.data(), _mm256_add_epi32(row, _mm256_cvtepu8_epi32(pixels.Channel(bMask))));
    // LinearRed, LinearGreen, LinearBlue.
    const __m512d r =
        _mm512_sub_pd(_mm512_sub_pd(_mm512_mul_pd(Set(3.240479f), x), _mm512_mul_pd(Set(0.498535f), z)),
                      _mm512_mul_pd(Set(1.537150f), y));
    const __m512d g =
        _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(Set(-0.969256f), x), _mm512_mul_pd(Set(1.875992f), y)),
                      _mm512_mul_pd(Set(0.041556f), z));
    const __m512d b =
        _mm512_add_pd(_mm512_sub_pd(_mm512_mul_pd(Set(0.055648f), x), _mm512_mul_pd(Set(0.204043f), y)),
                      _mm512_mul_pd(Set(1.057311f), z));
    const __m128i rBytes = GammaBytes(t, r), gBytes = GammaBytes(t, g), bBytes = GammaBytes(t, b);
    const __m128i first = pos.r == 0 ? rBytes : bBytes, last = pos.r == 0 ? bBytes : rBytes;
    join.Store(_mm_unpacklo_epi64(first, gBytes), last, d);
  }
  LabToRgbRowTables(s, d, width - i, pos);
}

}  // namespace qclr::lab

#endif
