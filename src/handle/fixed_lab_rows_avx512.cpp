// Fixed-point Lab rows with AVX-512, 16 pixels (48 bytes) a step: the AVX2 rows'
// arithmetic (fixed_lab_fast.h) on twice the lanes, with mask registers for the
// selections.
//
// Memory: a step reads its 48 source bytes and writes its 48 destination bytes
// after reading them, so a row may be converted in place. The width mod 16 pixels
// at the end of a row go through a block on the stack: nothing outside the row is
// read or written.
#include "handle/fixed_lab_fast.h"

#if QCLR_X86_SIMD
// GCC's AVX-512 intrinsics start some results from an undefined vector
// (_mm512_undefined_epi32), which its own uninitialised-value warnings then report.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#include <array>

#include "base/rgb_positions.h"
#include "handle/block_rows.h"
#include "handle/lab_fixed_math.h"

namespace qclr {
namespace {

constexpr int32_t kBlock = 16;

inline __m512i Set(int32_t v) { return _mm512_set1_epi32(v); }

// FixMul as the definition computes it (see the AVX2 rows).
inline __m512i FixMul16(__m512i a, __m512i b) {
  const __m512i low16 = Set(0xFFFF);
  const __m512i al = _mm512_and_si512(a, low16), ah = _mm512_srai_epi32(a, 16);
  const __m512i bl = _mm512_and_si512(b, low16), bh = _mm512_srai_epi32(b, 16);
  const __m512i low = _mm512_srli_epi32(_mm512_add_epi32(_mm512_mullo_epi32(al, bl), Set(32768)), 16);
  return _mm512_add_epi32(_mm512_add_epi32(low, _mm512_mullo_epi32(al, bh)),
                          _mm512_add_epi32(_mm512_mullo_epi32(ah, bl), _mm512_slli_epi32(_mm512_mullo_epi32(ah, bh), 16)));
}

// The 128-bit lanes of a block: pixels 4i..4i+3 start at byte 12i, read from
// byte 12i for i < 3 and from byte 32 for the last lane (so nothing past byte 47
// is read), where they start at byte 4 of the lane.
inline __m512i LoadBlock(const uint8_t* s) {
  const auto at = [&](int offset) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + offset)); };
  __m512i v = _mm512_castsi128_si512(at(0));
  v = _mm512_inserti32x4(v, at(12), 1);
  v = _mm512_inserti32x4(v, at(24), 2);
  return _mm512_inserti32x4(v, at(32), 3);
}

// Bytes first, first + 3, ... of the block's 16 pixels as 32-bit lanes.
inline __m512i Channel(__m512i block, int first) {
  std::array<int8_t, 64> mask{};
  for (int lane = 0; lane < 4; ++lane) {
    const int start = lane == 3 ? 4 : 0;
    for (int p = 0; p < 4; ++p) {
      mask[16 * lane + 4 * p] = static_cast<int8_t>(start + first + 3 * p);
      for (int z = 1; z < 4; ++z) mask[16 * lane + 4 * p + z] = static_cast<int8_t>(0x80);
    }
  }
  return _mm512_shuffle_epi8(block, _mm512_loadu_si512(mask.data()));
}

// Writes the low three bytes of each 32-bit lane, lanes in order: 48 bytes.
inline void StoreBlock(__m512i pixels, uint8_t* d) {
  const __m512i packed = _mm512_shuffle_epi8(
      pixels, _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1)));
  const __m512i joined = _mm512_permutexvar_epi32(
      _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 15, 15, 15, 15), packed);
  _mm512_mask_storeu_epi32(d, 0x0FFF, joined);
}

struct Columns {
  __m512i c0, c1, c2, c3;
};

// Sixteen 4-lane rows as four 16-lane vectors, rows in order.
inline Columns Transpose(const __m128i* p) {
  __m512i r[4];
  for (int j = 0; j < 4; ++j) {
    r[j] = _mm512_castsi128_si512(p[j]);
    r[j] = _mm512_inserti32x4(r[j], p[j + 4], 1);
    r[j] = _mm512_inserti32x4(r[j], p[j + 8], 2);
    r[j] = _mm512_inserti32x4(r[j], p[j + 12], 3);
  }
  const __m512i t0 = _mm512_unpacklo_epi32(r[0], r[1]), t1 = _mm512_unpacklo_epi32(r[2], r[3]);
  const __m512i t2 = _mm512_unpackhi_epi32(r[0], r[1]), t3 = _mm512_unpackhi_epi32(r[2], r[3]);
  return {_mm512_unpacklo_epi64(t0, t1), _mm512_unpackhi_epi64(t0, t1), _mm512_unpacklo_epi64(t2, t3),
          _mm512_unpackhi_epi64(t2, t3)};
}

// LabFInverse as the definition computes it (see the AVX2 rows).
inline __m512i LabFInverse16(__m512i t) {
  const __m512i one = Set(kFixedOne28);
  const __m512i borrow = _mm512_maskz_set1_epi32(_mm512_cmplt_epi32_mask(_mm512_and_si512(t, Set(63)), Set(12)), -1);
  const __m512i u = _mm512_add_epi32(_mm512_sub_epi32(_mm512_srai_epi32(t, 6), Set(578524)), borrow);
  const __m512i linear = FixMul16(u, Set(538650));
  const __m512i w = _mm512_srai_epi32(_mm512_add_epi32(t, Set(128)), 8);
  const __m512i cube = FixMul16(FixMul16(w, w), w);
  const __m512i r = _mm512_mask_blend_epi32(_mm512_cmplt_epi32_mask(t, Set(55536612)), cube, linear);
  const __m512i clamped = _mm512_min_epi32(_mm512_max_epi32(r, _mm512_setzero_si512()), one);
  return _mm512_mask_blend_epi32(_mm512_cmpgt_epi32_mask(t, Set(kFixedOne28 - 1)), clamped, one);
}

// EncodeByThresholds through the bucket index (see the AVX2 rows).
inline __m512i Code16(__m512i v, const LabDecodeFast& t) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i u = _mm512_srai_epi32(_mm512_max_epi32(v, zero), 8);
  const __m512i key = _mm512_srli_epi32(_mm512_castps_si512(_mm512_cvtepi32_ps(u)), 16);
  const __m512i k = _mm512_max_epi32(_mm512_sub_epi32(key, Set(0x3F80 - 1)), zero);
  int32_t idx[16];
  _mm512_storeu_si512(idx, k);
  const auto two = [&](int i) { return _mm_set_epi64x(t.bucket[idx[i + 1]], t.bucket[idx[i]]); };
  const auto eight = [&](int i) {
    __m512i lanes = _mm512_castsi128_si512(two(i));
    lanes = _mm512_inserti32x4(lanes, two(i + 2), 1);
    lanes = _mm512_inserti32x4(lanes, two(i + 4), 2);
    return _mm512_inserti32x4(lanes, two(i + 6), 3);
  };
  const __m512i low = eight(0), high = eight(8);
  const __m512i even = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
  const __m512i split = _mm512_permutex2var_epi32(low, even, high);
  const __m512i code = _mm512_permutex2var_epi32(low, _mm512_add_epi32(even, Set(1)), high);
  // v >= split: one more threshold lies at or below v.
  return _mm512_mask_add_epi32(code, _mm512_cmpge_epi32_mask(v, split), code, Set(1));
}

void Decode16(const uint8_t* s, uint8_t* d, const LabDecodeFast& t, RgbPositions at) {
  __m128i lightness[kBlock];
  for (int i = 0; i < kBlock; ++i) {
    lightness[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&t.byL[s[3 * i]]));
  }
  const Columns l = Transpose(lightness);  // fy, then the Y parts of rows R, G, B
  const __m512i block = LoadBlock(s);
  const __m512i termA = _mm512_mullo_epi32(_mm512_sub_epi32(Channel(block, 1), Set(t.aOffset)), Set(t.aScale));
  const __m512i termB = _mm512_mullo_epi32(_mm512_sub_epi32(Channel(block, 2), Set(t.bOffset)), Set(t.bScale));
  const __m512i x = LabFInverse16(_mm512_add_epi32(l.c0, termA));
  const __m512i z = LabFInverse16(_mm512_sub_epi32(l.c0, termB));
  const __m512i yParts[3] = {l.c1, l.c2, l.c3};
  __m512i code[3];
  for (int r = 0; r < 3; ++r) {
    const __m512i v = _mm512_add_epi32(_mm512_add_epi32(FixMul16(Set(t.columnX[r]), x), yParts[r]),
                                       FixMul16(Set(t.columnZ[r]), z));
    code[r] = Code16(v, t);
  }
  const __m512i first = code[at.r == 0 ? 0 : 2], last = code[at.r == 0 ? 2 : 0];
  StoreBlock(_mm512_or_si512(_mm512_or_si512(first, _mm512_slli_epi32(code[1], 8)), _mm512_slli_epi32(last, 16)), d);
}

// CompandFixed on 16 lanes (see the AVX2 rows).
inline __m512i Compand16(__m512i v, const LabEncodeFast& t) {
  const __mmask16 white = _mm512_cmpgt_epi32_mask(v, Set(65535));
  const __m512i w = _mm512_max_epi32(v, _mm512_setzero_si512());
  const __m512i j = _mm512_min_epi32(_mm512_srli_epi32(w, 4), Set(4095));
  int32_t idx[16];
  _mm512_storeu_si512(idx, j);
  const auto four = [&](int i) {
    return _mm_setr_epi32(static_cast<int32_t>(t.compand[idx[i]]), static_cast<int32_t>(t.compand[idx[i + 1]]),
                          static_cast<int32_t>(t.compand[idx[i + 2]]), static_cast<int32_t>(t.compand[idx[i + 3]]));
  };
  __m512i entry = _mm512_castsi128_si512(four(0));
  entry = _mm512_inserti32x4(entry, four(4), 1);
  entry = _mm512_inserti32x4(entry, four(8), 2);
  entry = _mm512_inserti32x4(entry, four(12), 3);
  const __m512i steps = _mm512_madd_epi16(entry, _mm512_slli_epi32(_mm512_and_si512(w, Set(15)), 16));
  const __m512i r = _mm512_add_epi32(_mm512_and_si512(entry, Set(0xFFFF)),
                                     _mm512_srai_epi32(_mm512_add_epi32(steps, Set(8)), 4));
  return _mm512_mask_blend_epi32(white, r, Set(65536));
}

// ChromaLimitFactor on 16 lanes (see the AVX2 rows).
inline __m512i LimitFactor16(__m512i d, int32_t lower, int32_t upper) {
  const __m512i zero = _mm512_setzero_si512();
  const __mmask16 below = _mm512_cmplt_epi32_mask(d, Set(lower)), above = _mm512_cmpgt_epi32_mask(d, Set(upper));
  const __m512i limit = _mm512_mask_blend_epi32(below, Set(upper), Set(lower));
  // d > 0: 0 <= limit < d; otherwise d < limit <= 0
  const __mmask16 reachPositive = _mm512_cmpge_epi32_mask(limit, zero) & _mm512_cmplt_epi32_mask(limit, d);
  const __mmask16 reachNegative = _mm512_cmple_epi32_mask(limit, zero) & _mm512_cmpgt_epi32_mask(limit, d);
  const __mmask16 positive = _mm512_cmpgt_epi32_mask(d, zero);
  const __mmask16 active = (below | above) & ((positive & reachPositive) | (~positive & reachNegative));
  if (active == 0) return Set(65536);
  const __m512i quarter = _mm512_srai_epi32(d, 2);
  const __mmask16 noQuarter = _mm512_cmpeq_epi32_mask(quarter, zero);
  // limit x 16384 / quarter, or limit x 65536 / d when quarter is 0
  const __m512i den = _mm512_mask_blend_epi32(noQuarter, quarter, d);
  const __m512d scales = _mm512_mask_blend_pd(static_cast<__mmask8>(noQuarter), _mm512_set1_pd(16384.0),
                                              _mm512_set1_pd(65536.0));
  const __m512d scalesHigh = _mm512_mask_blend_pd(static_cast<__mmask8>(noQuarter >> 8), _mm512_set1_pd(16384.0),
                                                  _mm512_set1_pd(65536.0));
  const __m512d qLow = _mm512_div_pd(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_castsi512_si256(limit)), scales),
                                     _mm512_cvtepi32_pd(_mm512_castsi512_si256(den)));
  const __m512d qHigh = _mm512_div_pd(_mm512_mul_pd(_mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(limit, 1)), scalesHigh),
                                      _mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(den, 1)));
  const __m512d cap = _mm512_set1_pd(65536.0);
  const __m512i k = _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvttpd_epi32(_mm512_min_pd(qLow, cap))),
                                       _mm512_cvttpd_epi32(_mm512_min_pd(qHigh, cap)), 1);
  return _mm512_mask_blend_epi32(active, Set(65536), k);
}

void Encode16(const uint8_t* s, uint8_t* d, const LabEncodeFast& t, RgbPositions at) {
  const LabEncodeTable& e = *t.record;
  __m128i parts[kBlock];
  for (int i = 0; i < kBlock; ++i) {
    const uint8_t* p = s + 3 * i;
    const auto load = [](const int32_t* v) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(v)); };
    parts[i] = _mm_add_epi32(_mm_add_epi32(load(t.byRed[p[at.r]]), load(t.byGreen[p[1]])), load(t.byBlue[p[at.b]]));
  }
  const Columns xyz = Transpose(parts);
  const __m512i fx = Compand16(xyz.c0, t), fy = Compand16(xyz.c1, t), fz = Compand16(xyz.c2, t);
  __m512i d1 = _mm512_sub_epi32(fx, fy), d2 = _mm512_sub_epi32(fy, fz);
  const __mmask16 outside = _mm512_cmplt_epi32_mask(d1, Set(e.aMin)) | _mm512_cmpgt_epi32_mask(d1, Set(e.aMax)) |
                            _mm512_cmplt_epi32_mask(d2, Set(e.bMin)) | _mm512_cmpgt_epi32_mask(d2, Set(e.bMax));
  if (outside != 0) {
    // Where neither factor shrinks, both shares are 65536 and FixMul leaves d as it is.
    const __m512i k1 = LimitFactor16(d1, e.aMin, e.aMax), k2 = LimitFactor16(d2, e.bMin, e.bMax);
    const __m512i one = Set(65536);
    const __m512i sA = _mm512_max_epi32(_mm512_setzero_si512(),
                                        _mm512_min_epi32(k1, _mm512_sub_epi32(_mm512_add_epi32(k2, k2), one)));
    const __m512i sB = _mm512_min_epi32(k2, _mm512_srai_epi32(_mm512_add_epi32(k1, one), 1));
    d1 = FixMul16(d1, sA);
    d2 = FixMul16(d2, sB);
  }
  const __m512i zero = _mm512_setzero_si512(), top = Set(255);
  const auto toByte = [&](__m512i v) { return _mm512_min_epi32(_mm512_max_epi32(v, zero), top); };
  const __m512i l = toByte(_mm512_srai_epi32(
      _mm512_add_epi32(FixMul16(fy, Set(e.lScaleFixed)), Set(e.lOffsetFixed + 32768)), 16));
  const __m512i a = toByte(_mm512_add_epi32(
      _mm512_srai_epi32(_mm512_add_epi32(FixMul16(d1, Set(e.aScaleFixed)), Set(32768)), 16), Set(e.aOffset)));
  const __m512i b = toByte(_mm512_add_epi32(
      _mm512_srai_epi32(_mm512_add_epi32(FixMul16(d2, Set(e.bScaleFixed)), Set(32768)), 16), Set(e.bOffset)));
  StoreBlock(_mm512_or_si512(_mm512_or_si512(l, _mm512_slli_epi32(a, 8)), _mm512_slli_epi32(b, 16)), d);
}

}  // namespace

void LabToRgbFastRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                           int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 3, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) { Decode16(s, d, t, at); });
}

void RgbToLabFastRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                           int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 3, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) { Encode16(s, d, t, at); });
}

}  // namespace qclr
#endif
