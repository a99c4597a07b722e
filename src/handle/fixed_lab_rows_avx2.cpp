// Fixed-point Lab rows with AVX2, 8 pixels (24 bytes) a step (fixed_lab_fast.h
// has what they compute). The tables are looked up one lane at a time or by
// gathers; FixMul is the definition's 32-bit formula on 8 lanes.
//
// Memory: a step reads its 24 source bytes and writes its 24 destination bytes
// after reading them, so a row may be converted in place. The width mod 8 pixels
// at the end of a row go through a block on the stack: nothing outside the row is
// read or written.
#include "handle/fixed_lab_fast.h"

#if QCLR_X86_SIMD
#include <immintrin.h>


#include "base/rgb_positions.h"
#include "handle/block_rows.h"
#include "handle/lab_fixed_math.h"
#include "handle/rgb_blocks_avx2.h"

namespace qclr {
namespace {

constexpr int32_t kBlock = 8;

inline __m256i Set(int32_t v) { return _mm256_set1_epi32(v); }

// FixMul as the definition computes it: ((al x bl + 32768) >> 16) + al x bh +
// ah x bl + (ah x bh << 16), wrapping, with al, bl the low 16 bits and ah, bh the
// arithmetic shifts by 16.
inline __m256i FixMul8(__m256i a, __m256i b) {
  const __m256i low16 = Set(0xFFFF);
  const __m256i al = _mm256_and_si256(a, low16), ah = _mm256_srai_epi32(a, 16);
  const __m256i bl = _mm256_and_si256(b, low16), bh = _mm256_srai_epi32(b, 16);
  const __m256i low = _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(al, bl), Set(32768)), 16);
  return _mm256_add_epi32(_mm256_add_epi32(low, _mm256_mullo_epi32(al, bh)),
                          _mm256_add_epi32(_mm256_mullo_epi32(ah, bl), _mm256_slli_epi32(_mm256_mullo_epi32(ah, bh), 16)));
}

// Eight 4-lane rows (x, y, z, w of one pixel each) as four 8-lane vectors.
struct Columns {
  __m256i c0, c1, c2, c3;
};

inline Columns Transpose(const __m128i* p) {
  const __m256i r0 = _mm256_inserti128_si256(_mm256_castsi128_si256(p[0]), p[4], 1);
  const __m256i r1 = _mm256_inserti128_si256(_mm256_castsi128_si256(p[1]), p[5], 1);
  const __m256i r2 = _mm256_inserti128_si256(_mm256_castsi128_si256(p[2]), p[6], 1);
  const __m256i r3 = _mm256_inserti128_si256(_mm256_castsi128_si256(p[3]), p[7], 1);
  const __m256i t0 = _mm256_unpacklo_epi32(r0, r1), t1 = _mm256_unpacklo_epi32(r2, r3);
  const __m256i t2 = _mm256_unpackhi_epi32(r0, r1), t3 = _mm256_unpackhi_epi32(r2, r3);
  return {_mm256_unpacklo_epi64(t0, t1), _mm256_unpackhi_epi64(t0, t1), _mm256_unpacklo_epi64(t2, t3),
          _mm256_unpackhi_epi64(t2, t3)};
}

// LabFInverse as the definition computes it. The linear part's (t - 37025548) >> 6
// is taken apart so it cannot overflow: 37025548 = 64 x 578524 + 12.
inline __m256i LabFInverse8(__m256i t) {
  const __m256i one = Set(kFixedOne28);
  const __m256i borrow = _mm256_cmpgt_epi32(Set(12), _mm256_and_si256(t, Set(63)));
  const __m256i u = _mm256_add_epi32(_mm256_sub_epi32(_mm256_srai_epi32(t, 6), Set(578524)), borrow);
  const __m256i linear = FixMul8(u, Set(538650));
  const __m256i w = _mm256_srai_epi32(_mm256_add_epi32(t, Set(128)), 8);
  const __m256i cube = FixMul8(FixMul8(w, w), w);
  const __m256i r = _mm256_blendv_epi8(cube, linear, _mm256_cmpgt_epi32(Set(55536612), t));
  const __m256i clamped = _mm256_min_epi32(_mm256_max_epi32(r, _mm256_setzero_si256()), one);
  return _mm256_blendv_epi8(clamped, one, _mm256_cmpgt_epi32(t, Set(kFixedOne28 - 1)));
}

// EncodeByThresholds through the bucket index (LabCodeBucket on 8 lanes).
inline __m256i Code8(__m256i v, const LabDecodeFast& t) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i u = _mm256_srai_epi32(_mm256_max_epi32(v, zero), 8);
  const __m256i key = _mm256_srli_epi32(_mm256_castps_si256(_mm256_cvtepi32_ps(u)), 16);
  const __m256i k = _mm256_max_epi32(_mm256_sub_epi32(key, Set(0x3F80 - 1)), zero);
  const auto* buckets = reinterpret_cast<const long long*>(t.bucket);
  const __m256i low = _mm256_i32gather_epi64(buckets, _mm256_castsi256_si128(k), 8);
  const __m256i high = _mm256_i32gather_epi64(buckets, _mm256_extracti128_si256(k, 1), 8);
  // Even 32-bit halves the splits, odd ones the codes; the shuffle interleaves the
  // two halves' lanes by 64-bit pairs, the permutation puts them back in order.
  const __m256i split = _mm256_permute4x64_epi64(
      _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(low), _mm256_castsi256_ps(high), 0x88)), 0xD8);
  const __m256i code = _mm256_permute4x64_epi64(
      _mm256_castps_si256(_mm256_shuffle_ps(_mm256_castsi256_ps(low), _mm256_castsi256_ps(high), 0xDD)), 0xD8);
  // v >= split: one more threshold lies at or below v.
  return _mm256_add_epi32(_mm256_add_epi32(code, Set(1)), _mm256_cmpgt_epi32(split, v));
}

void Decode8(const uint8_t* s, uint8_t* d, const LabDecodeFast& t, RgbPositions at) {
  __m128i lightness[kBlock];
  for (int i = 0; i < kBlock; ++i) {
    lightness[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&t.byL[s[3 * i]]));
  }
  const Columns l = Transpose(lightness);  // fy, then the Y parts of rows R, G, B
  const __m256i block = avx2::LoadBlock24(s);
  const __m256i termA = _mm256_mullo_epi32(_mm256_sub_epi32(avx2::Channel24(block, 1), Set(t.aOffset)), Set(t.aScale));
  const __m256i termB = _mm256_mullo_epi32(_mm256_sub_epi32(avx2::Channel24(block, 2), Set(t.bOffset)), Set(t.bScale));
  const __m256i x = LabFInverse8(_mm256_add_epi32(l.c0, termA));
  const __m256i z = LabFInverse8(_mm256_sub_epi32(l.c0, termB));
  const __m256i yParts[3] = {l.c1, l.c2, l.c3};
  __m256i code[3];
  for (int r = 0; r < 3; ++r) {
    const __m256i v = _mm256_add_epi32(_mm256_add_epi32(FixMul8(Set(t.columnX[r]), x), yParts[r]),
                                       FixMul8(Set(t.columnZ[r]), z));
    code[r] = Code8(v, t);
  }
  const __m256i first = code[at.r == 0 ? 0 : 2], last = code[at.r == 0 ? 2 : 0];
  avx2::StoreBlock24(_mm256_or_si256(_mm256_or_si256(first, _mm256_slli_epi32(code[1], 8)), _mm256_slli_epi32(last, 16)), d);
}

// CompandFixed on 8 lanes.
inline __m256i Compand8(__m256i v, const LabEncodeFast& t) {
  const __m256i white = _mm256_cmpgt_epi32(v, Set(65535));
  const __m256i w = _mm256_max_epi32(v, _mm256_setzero_si256());
  const __m256i j = _mm256_min_epi32(_mm256_srli_epi32(w, 4), Set(4095));  // white lanes: any entry
  const __m256i entry = _mm256_i32gather_epi32(reinterpret_cast<const int*>(t.compand), j, 4);
  // (step x (w & 15) + 8) >> 4, the step in the entry's high half as a 16-bit factor
  const __m256i steps = _mm256_madd_epi16(entry, _mm256_slli_epi32(_mm256_and_si256(w, Set(15)), 16));
  const __m256i r = _mm256_add_epi32(_mm256_and_si256(entry, Set(0xFFFF)),
                                     _mm256_srai_epi32(_mm256_add_epi32(steps, Set(8)), 4));
  return _mm256_blendv_epi8(r, Set(65536), white);
}

// ChromaLimitFactor on 8 lanes. The factor's quotient of integers is taken in
// doubles: the numerator is below 2^53, so the rounded quotient truncates to the
// integer quotient.
inline __m256i LimitFactor8(__m256i d, int32_t lower, int32_t upper) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i below = _mm256_cmpgt_epi32(Set(lower), d), above = _mm256_cmpgt_epi32(d, Set(upper));
  const __m256i limit = _mm256_blendv_epi8(Set(upper), Set(lower), below);
  // d > 0: 0 <= limit < d; otherwise d < limit <= 0
  const __m256i reachPositive = _mm256_andnot_si256(_mm256_cmpgt_epi32(zero, limit), _mm256_cmpgt_epi32(d, limit));
  const __m256i reachNegative = _mm256_andnot_si256(_mm256_cmpgt_epi32(limit, zero), _mm256_cmpgt_epi32(limit, d));
  const __m256i reachable = _mm256_blendv_epi8(reachNegative, reachPositive, _mm256_cmpgt_epi32(d, zero));
  const __m256i active = _mm256_and_si256(_mm256_or_si256(below, above), reachable);
  const __m256i quarter = _mm256_srai_epi32(d, 2);
  const __m256i noQuarter = _mm256_cmpeq_epi32(quarter, zero);
  // limit x 16384 / quarter, or limit x 65536 / d when quarter is 0
  const __m256i den = _mm256_blendv_epi8(quarter, d, noQuarter);
  const __m256d scaleLow = _mm256_blendv_pd(_mm256_set1_pd(16384.0), _mm256_set1_pd(65536.0),
                                            _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm256_castsi256_si128(noQuarter))));
  const __m256d scaleHigh = _mm256_blendv_pd(_mm256_set1_pd(16384.0), _mm256_set1_pd(65536.0),
                                             _mm256_castsi256_pd(_mm256_cvtepi32_epi64(_mm256_extracti128_si256(noQuarter, 1))));
  const __m256d cap = _mm256_set1_pd(65536.0);
  const __m256d qLow = _mm256_min_pd(
      _mm256_div_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_castsi256_si128(limit)), scaleLow),
                    _mm256_cvtepi32_pd(_mm256_castsi256_si128(den))),
      cap);
  const __m256d qHigh = _mm256_min_pd(
      _mm256_div_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(limit, 1)), scaleHigh),
                    _mm256_cvtepi32_pd(_mm256_extracti128_si256(den, 1))),
      cap);
  const __m256i k = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm256_cvttpd_epi32(qLow)),
                                            _mm256_cvttpd_epi32(qHigh), 1);
  return _mm256_blendv_epi8(Set(65536), k, active);
}

void Encode8(const uint8_t* s, uint8_t* d, const LabEncodeFast& t, RgbPositions at) {
  const LabEncodeTable& e = *t.record;
  __m128i parts[kBlock];
  for (int i = 0; i < kBlock; ++i) {
    const uint8_t* p = s + 3 * i;
    const auto load = [](const int32_t* v) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(v)); };
    parts[i] = _mm_add_epi32(_mm_add_epi32(load(t.byRed[p[at.r]]), load(t.byGreen[p[1]])), load(t.byBlue[p[at.b]]));
  }
  const Columns xyz = Transpose(parts);
  const __m256i fx = Compand8(xyz.c0, t), fy = Compand8(xyz.c1, t), fz = Compand8(xyz.c2, t);
  __m256i d1 = _mm256_sub_epi32(fx, fy), d2 = _mm256_sub_epi32(fy, fz);
  const __m256i outside =
      _mm256_or_si256(_mm256_or_si256(_mm256_cmpgt_epi32(Set(e.aMin), d1), _mm256_cmpgt_epi32(d1, Set(e.aMax))),
                      _mm256_or_si256(_mm256_cmpgt_epi32(Set(e.bMin), d2), _mm256_cmpgt_epi32(d2, Set(e.bMax))));
  if (!_mm256_testz_si256(outside, outside)) {
    // Where neither factor shrinks, both shares are 65536 and FixMul leaves d as it is.
    const __m256i k1 = LimitFactor8(d1, e.aMin, e.aMax), k2 = LimitFactor8(d2, e.bMin, e.bMax);
    const __m256i one = Set(65536);
    const __m256i sA = _mm256_max_epi32(_mm256_setzero_si256(),
                                        _mm256_min_epi32(k1, _mm256_sub_epi32(_mm256_add_epi32(k2, k2), one)));
    const __m256i sB = _mm256_min_epi32(k2, _mm256_srai_epi32(_mm256_add_epi32(k1, one), 1));
    d1 = FixMul8(d1, sA);
    d2 = FixMul8(d2, sB);
  }
  const __m256i zero = _mm256_setzero_si256(), top = Set(255);
  const auto toByte = [&](__m256i v) { return _mm256_min_epi32(_mm256_max_epi32(v, zero), top); };
  const __m256i l = toByte(_mm256_srai_epi32(
      _mm256_add_epi32(FixMul8(fy, Set(e.lScaleFixed)), Set(e.lOffsetFixed + 32768)), 16));
  const __m256i a = toByte(_mm256_add_epi32(
      _mm256_srai_epi32(_mm256_add_epi32(FixMul8(d1, Set(e.aScaleFixed)), Set(32768)), 16), Set(e.aOffset)));
  const __m256i b = toByte(_mm256_add_epi32(
      _mm256_srai_epi32(_mm256_add_epi32(FixMul8(d2, Set(e.bScaleFixed)), Set(32768)), 16), Set(e.bOffset)));
  avx2::StoreBlock24(_mm256_or_si256(_mm256_or_si256(l, _mm256_slli_epi32(a, 8)), _mm256_slli_epi32(b, 16)), d);
}

}  // namespace

void LabToRgbFastRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                         int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 3, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) { Decode8(s, d, t, at); });
}

void RgbToLabFastRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                         int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 3, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) { Encode8(s, d, t, at); });
}

}  // namespace qclr
#endif
