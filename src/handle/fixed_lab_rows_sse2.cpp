// Fixed-point Lab rows with SSE2, 4 pixels (12 bytes) a step: the AVX2 rows'
// arithmetic (fixed_lab_fast.h) on 4 lanes. SSE2 has no 32-bit multiply-low,
// minimum, maximum, blend or gather: they are built from the 32 x 32 -> 64-bit
// multiply, comparisons and masks, and tables are read one lane at a time.
//
// Memory: a step reads its 12 source bytes and then writes its 12 destination
// bytes, three of its pixels as 4-byte stores whose last byte the next store
// overwrites; so a row may be converted in place. The width mod 4 pixels at the
// end of a row go through a block on the stack: nothing outside the row is read
// or written.
#include "handle/fixed_lab_fast.h"

#if QCLR_X86_SIMD
#include <emmintrin.h>

#include <cstring>

#include "base/rgb_positions.h"
#include "handle/block_rows.h"
#include "handle/lab_fixed_math.h"

namespace qclr {
namespace {

constexpr int32_t kBlock = 4;

inline __m128i Set(int32_t v) { return _mm_set1_epi32(v); }

// mask ? a : b, lane by lane (mask lanes all ones or all zeros).
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}
inline __m128i Min32(__m128i a, __m128i b) { return Select(_mm_cmpgt_epi32(a, b), b, a); }
inline __m128i Max32(__m128i a, __m128i b) { return Select(_mm_cmpgt_epi32(a, b), a, b); }

// The low 32 bits of each lane's product (the same for signed and unsigned).
inline __m128i MulLo32(__m128i a, __m128i b) {
  const __m128i even = _mm_mul_epu32(a, b);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// FixMul as the definition computes it (see the AVX2 rows).
inline __m128i FixMul4(__m128i a, __m128i b) {
  const __m128i low16 = Set(0xFFFF);
  const __m128i al = _mm_and_si128(a, low16), ah = _mm_srai_epi32(a, 16);
  const __m128i bl = _mm_and_si128(b, low16), bh = _mm_srai_epi32(b, 16);
  const __m128i low = _mm_srli_epi32(_mm_add_epi32(MulLo32(al, bl), Set(32768)), 16);
  return _mm_add_epi32(_mm_add_epi32(low, MulLo32(al, bh)),
                       _mm_add_epi32(MulLo32(ah, bl), _mm_slli_epi32(MulLo32(ah, bh), 16)));
}

// Four rows of four lanes as four columns.
struct Columns {
  __m128i c0, c1, c2, c3;
};

inline Columns Transpose(const __m128i* p) {
  const __m128i t0 = _mm_unpacklo_epi32(p[0], p[1]), t1 = _mm_unpacklo_epi32(p[2], p[3]);
  const __m128i t2 = _mm_unpackhi_epi32(p[0], p[1]), t3 = _mm_unpackhi_epi32(p[2], p[3]);
  return {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1), _mm_unpacklo_epi64(t2, t3),
          _mm_unpackhi_epi64(t2, t3)};
}

// Writes the low three bytes of each lane, lanes in order: 12 bytes.
inline void StoreBlock(__m128i pixels, uint8_t* d) {
  uint32_t words[kBlock];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(words), pixels);
  for (int p = 0; p < kBlock - 1; ++p) std::memcpy(d + 3 * p, &words[p], 4);
  std::memcpy(d + 3 * (kBlock - 1), &words[kBlock - 1], 3);
}

inline __m128i BytesAt(const uint8_t* s, int first) {
  return _mm_setr_epi32(s[first], s[first + 3], s[first + 6], s[first + 9]);
}

// LabFInverse as the definition computes it (see the AVX2 rows).
inline __m128i LabFInverse4(__m128i t) {
  const __m128i one = Set(kFixedOne28);
  const __m128i borrow = _mm_cmpgt_epi32(Set(12), _mm_and_si128(t, Set(63)));
  const __m128i u = _mm_add_epi32(_mm_sub_epi32(_mm_srai_epi32(t, 6), Set(578524)), borrow);
  const __m128i linear = FixMul4(u, Set(538650));
  const __m128i w = _mm_srai_epi32(_mm_add_epi32(t, Set(128)), 8);
  const __m128i cube = FixMul4(FixMul4(w, w), w);
  const __m128i r = Select(_mm_cmpgt_epi32(Set(55536612), t), linear, cube);
  const __m128i clamped = Min32(Max32(r, _mm_setzero_si128()), one);
  return Select(_mm_cmpgt_epi32(t, Set(kFixedOne28 - 1)), one, clamped);
}

// EncodeByThresholds through the bucket index (see the AVX2 rows).
inline __m128i Code4(__m128i v, const LabDecodeFast& t) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i u = _mm_srai_epi32(Max32(v, zero), 8);
  const __m128i key = _mm_srli_epi32(_mm_castps_si128(_mm_cvtepi32_ps(u)), 16);
  int32_t k[kBlock];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(k), Max32(_mm_sub_epi32(key, Set(0x3F80 - 1)), zero));
  int32_t code[kBlock], split[kBlock];
  for (int i = 0; i < kBlock; ++i) {
    const int64_t entry = t.bucket[k[i]];
    split[i] = static_cast<int32_t>(static_cast<uint32_t>(entry));
    code[i] = static_cast<int32_t>(entry >> 32);
  }
  const __m128i codes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(code));
  const __m128i splits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(split));
  // v >= split: one more threshold lies at or below v.
  return _mm_add_epi32(_mm_add_epi32(codes, Set(1)), _mm_cmpgt_epi32(splits, v));
}

void Decode4(const uint8_t* s, uint8_t* d, const LabDecodeFast& t, RgbPositions at) {
  __m128i lightness[kBlock];
  for (int i = 0; i < kBlock; ++i) {
    lightness[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&t.byL[s[3 * i]]));
  }
  const Columns l = Transpose(lightness);  // fy, then the Y parts of rows R, G, B
  const __m128i termA = MulLo32(_mm_sub_epi32(BytesAt(s, 1), Set(t.aOffset)), Set(t.aScale));
  const __m128i termB = MulLo32(_mm_sub_epi32(BytesAt(s, 2), Set(t.bOffset)), Set(t.bScale));
  const __m128i x = LabFInverse4(_mm_add_epi32(l.c0, termA));
  const __m128i z = LabFInverse4(_mm_sub_epi32(l.c0, termB));
  const __m128i yParts[3] = {l.c1, l.c2, l.c3};
  __m128i code[3];
  for (int r = 0; r < 3; ++r) {
    const __m128i v =
        _mm_add_epi32(_mm_add_epi32(FixMul4(Set(t.columnX[r]), x), yParts[r]), FixMul4(Set(t.columnZ[r]), z));
    code[r] = Code4(v, t);
  }
  const __m128i first = code[at.r == 0 ? 0 : 2], last = code[at.r == 0 ? 2 : 0];
  StoreBlock(_mm_or_si128(_mm_or_si128(first, _mm_slli_epi32(code[1], 8)), _mm_slli_epi32(last, 16)), d);
}

// CompandFixed on 4 lanes (see the AVX2 rows).
inline __m128i Compand4(__m128i v, const LabEncodeFast& t) {
  const __m128i white = _mm_cmpgt_epi32(v, Set(65535));
  const __m128i w = Max32(v, _mm_setzero_si128());
  int32_t j[kBlock];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(j), Min32(_mm_srli_epi32(w, 4), Set(4095)));
  const __m128i entry = _mm_setr_epi32(static_cast<int32_t>(t.compand[j[0]]), static_cast<int32_t>(t.compand[j[1]]),
                                       static_cast<int32_t>(t.compand[j[2]]), static_cast<int32_t>(t.compand[j[3]]));
  const __m128i steps = _mm_madd_epi16(entry, _mm_slli_epi32(_mm_and_si128(w, Set(15)), 16));
  const __m128i r = _mm_add_epi32(_mm_and_si128(entry, Set(0xFFFF)), _mm_srai_epi32(_mm_add_epi32(steps, Set(8)), 4));
  return Select(white, Set(65536), r);
}

// Two quotients of integers, truncated and capped at 65536 (see the AVX2 rows).
inline __m128i Quotients(__m128i num, __m128d scale, __m128i den) {
  const __m128d q = _mm_div_pd(_mm_mul_pd(_mm_cvtepi32_pd(num), scale), _mm_cvtepi32_pd(den));
  return _mm_cvttpd_epi32(_mm_min_pd(q, _mm_set1_pd(65536.0)));
}

// ChromaLimitFactor on 4 lanes (see the AVX2 rows).
inline __m128i LimitFactor4(__m128i d, int32_t lower, int32_t upper) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i below = _mm_cmpgt_epi32(Set(lower), d), above = _mm_cmpgt_epi32(d, Set(upper));
  const __m128i limit = Select(below, Set(lower), Set(upper));
  const __m128i reachPositive = _mm_andnot_si128(_mm_cmpgt_epi32(zero, limit), _mm_cmpgt_epi32(d, limit));
  const __m128i reachNegative = _mm_andnot_si128(_mm_cmpgt_epi32(limit, zero), _mm_cmpgt_epi32(limit, d));
  const __m128i reachable = Select(_mm_cmpgt_epi32(d, zero), reachPositive, reachNegative);
  const __m128i active = _mm_and_si128(_mm_or_si128(below, above), reachable);
  if (_mm_movemask_epi8(active) == 0) return Set(65536);
  const __m128i quarter = _mm_srai_epi32(d, 2);
  const __m128i noQuarter = _mm_cmpeq_epi32(quarter, zero);
  const __m128i den = Select(noQuarter, d, quarter);
  // The scale of each lane (65536 without a quarter, else 16384) as doubles.
  const auto scales = [&](__m128i lanes) {
    const __m128d wide = _mm_castsi128_pd(_mm_unpacklo_epi32(lanes, lanes));
    return _mm_or_pd(_mm_and_pd(wide, _mm_set1_pd(65536.0)), _mm_andnot_pd(wide, _mm_set1_pd(16384.0)));
  };
  const __m128i high = _mm_shuffle_epi32(limit, _MM_SHUFFLE(3, 2, 3, 2));
  const __m128i highDen = _mm_shuffle_epi32(den, _MM_SHUFFLE(3, 2, 3, 2));
  const __m128i k = _mm_unpacklo_epi64(
      Quotients(limit, scales(noQuarter), den),
      Quotients(high, scales(_mm_shuffle_epi32(noQuarter, _MM_SHUFFLE(3, 2, 3, 2))), highDen));
  return Select(active, k, Set(65536));
}

void Encode4(const uint8_t* s, uint8_t* d, const LabEncodeFast& t, RgbPositions at) {
  const LabEncodeTable& e = *t.record;
  __m128i parts[kBlock];
  for (int i = 0; i < kBlock; ++i) {
    const uint8_t* p = s + 3 * i;
    const auto load = [](const int32_t* v) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(v)); };
    parts[i] = _mm_add_epi32(_mm_add_epi32(load(t.byRed[p[at.r]]), load(t.byGreen[p[1]])), load(t.byBlue[p[at.b]]));
  }
  const Columns xyz = Transpose(parts);
  const __m128i fx = Compand4(xyz.c0, t), fy = Compand4(xyz.c1, t), fz = Compand4(xyz.c2, t);
  __m128i d1 = _mm_sub_epi32(fx, fy), d2 = _mm_sub_epi32(fy, fz);
  const __m128i outside = _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi32(Set(e.aMin), d1), _mm_cmpgt_epi32(d1, Set(e.aMax))),
                                       _mm_or_si128(_mm_cmpgt_epi32(Set(e.bMin), d2), _mm_cmpgt_epi32(d2, Set(e.bMax))));
  if (_mm_movemask_epi8(outside) != 0) {
    // Where neither factor shrinks, both shares are 65536 and FixMul leaves d as it is.
    const __m128i k1 = LimitFactor4(d1, e.aMin, e.aMax), k2 = LimitFactor4(d2, e.bMin, e.bMax);
    const __m128i one = Set(65536);
    const __m128i sA = Max32(_mm_setzero_si128(), Min32(k1, _mm_sub_epi32(_mm_add_epi32(k2, k2), one)));
    const __m128i sB = Min32(k2, _mm_srai_epi32(_mm_add_epi32(k1, one), 1));
    d1 = FixMul4(d1, sA);
    d2 = FixMul4(d2, sB);
  }
  const __m128i zero = _mm_setzero_si128(), top = Set(255);
  const auto toByte = [&](__m128i v) { return Min32(Max32(v, zero), top); };
  const __m128i l =
      toByte(_mm_srai_epi32(_mm_add_epi32(FixMul4(fy, Set(e.lScaleFixed)), Set(e.lOffsetFixed + 32768)), 16));
  const __m128i a = toByte(
      _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(FixMul4(d1, Set(e.aScaleFixed)), Set(32768)), 16), Set(e.aOffset)));
  const __m128i b = toByte(
      _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(FixMul4(d2, Set(e.bScaleFixed)), Set(32768)), 16), Set(e.bOffset)));
  StoreBlock(_mm_or_si128(_mm_or_si128(l, _mm_slli_epi32(a, 8)), _mm_slli_epi32(b, 16)), d);
}

}  // namespace

void LabToRgbFastRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                         int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 3, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) { Decode4(s, d, t, at); });
}

void RgbToLabFastRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                         int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  ForEachBlock<kBlock, 3, 3>(src, dst, width, [&](const uint8_t* s, uint8_t* d) { Encode4(s, d, t, at); });
}

}  // namespace qclr
#endif
