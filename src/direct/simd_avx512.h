// Helpers of the AVX-512 row files (include only from files compiled with
// AVX-512: *_avx512.cpp).
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "direct/store_policy.h"

// GCC 12's AVX-512 intrinsics start some results from a deliberately undefined
// vector (_mm512_undefined_epi32), which its own -W(maybe-)uninitialized then
// reports at every inlined use; the value is always overwritten, so the warnings
// are silenced in these files.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace qclr::avx512 {

inline constexpr uint8_t kZ = 0x80;  // a byte-shuffle index that gives 0

// Two 16-bit multipliers (low, high) for the pairs of _mm512_madd_epi16.
constexpr int32_t Weights(int lo, int hi) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(lo)) |
                              (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16));
}

// The low n bits set, n <= 64.
inline __mmask64 ByteMask(int32_t n) { return n >= 64 ? ~__mmask64{0} : (__mmask64{1} << n) - 1; }

// The n <= 64 bytes at p in the low bytes of a vector. `left`, the bytes of the
// row from p, decides: a whole 64-byte load where the row has them (byte-masked
// loads are slower), a masked one near the end.
inline __m512i LoadBytes(const uint8_t* p, int32_t n, ptrdiff_t left) {
  return left >= 64 ? _mm512_loadu_si512(p) : _mm512_maskz_loadu_epi8(ByteMask(n), p);
}

// Pixels 4k..4k+3 of the 16 three-byte pixels at p (n of them valid, `left` bytes
// of the row from p) in the bytes 0..11 of 128-bit lane k.
inline __m512i LoadPixelLanes3(const uint8_t* p, int32_t n, ptrdiff_t left) {
  return _mm512_permutexvar_epi32(
      _mm512_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9, 9, 10, 11, 12),
      LoadBytes(p, 3 * n, left));
}

// A whole vector stored as two 256-bit halves: on the processors this was tuned on,
// a stream of 512-bit stores runs slower than one of 256-bit stores.
inline void StoreWhole(uint8_t* d, __m512i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm512_castsi512_si256(v));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 32), _mm512_extracti64x4_epi64(v, 1));
}

// Stores of whole 64-byte lines: non-temporal where the conversion streams
// (direct/store_policy.h) and d lies on a line boundary, else StoreWhole. Finish()
// orders the non-temporal stores before whatever follows the row.
class LineStores {
 public:
  explicit LineStores(const uint8_t* firstLine)
      : streaming_(StreamingStores() && reinterpret_cast<uintptr_t>(firstLine) % 64 == 0) {}
  void Store(uint8_t* d, __m512i v) const {
    if (streaming_) {
      _mm512_stream_si512(reinterpret_cast<__m512i*>(d), v);
    } else {
      StoreWhole(d, v);
    }
  }
  void Finish() const {
    if (streaming_) _mm_sfence();
  }

 private:
  bool streaming_;
};

// Pixels a row starts with, a multiple of `group`, after which its destination
// (bytesPerPixel bytes a pixel from d) reaches a 64-byte boundary; 0 where no such
// multiple exists. Whole cache lines store faster than lines split between two
// stores.
inline int32_t PixelsToAlign(const uint8_t* d, int32_t bytesPerPixel, int32_t group) {
  const auto at = static_cast<int32_t>(reinterpret_cast<uintptr_t>(d) % 64);
  for (int32_t p = 0; p < 64 * group; p += group) {
    if ((at + bytesPerPixel * p) % 64 == 0) return p;
  }
  return 0;
}

// Runs lanes(x, n) - the 3-byte outputs of the n <= 16 pixels from x, pixels
// x + 4k .. x + 4k + 3 in bytes 0..11 of 128-bit lane k - over `width` pixels and
// stores exactly their 3 x width bytes from d. Steps start at multiples of `group`
// pixels (16 is one). While 64 pixels remain, four steps are gathered into three
// whole 64-byte vectors, on cache-line boundaries after the first pixels where
// PixelsToAlign finds them; the other steps store through byte masks.
template <typename Lanes>
void StoreRow3(uint8_t* d, int32_t width, int32_t group, Lanes&& lanes) {
  const __m512i pack = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 0, 0, 0, 0);
  const auto some = [&](int32_t from, int32_t to) {
    for (int32_t x = from; x < to; x += 16) {
      const int32_t n = to - x < 16 ? to - x : 16;
      _mm512_mask_storeu_epi8(d + 3 * ptrdiff_t{x}, ByteMask(3 * n),
                              _mm512_permutexvar_epi32(pack, lanes(x, n)));
    }
  };
  const int32_t head = PixelsToAlign(d, 3, group) < width ? PixelsToAlign(d, 3, group) : width;
  some(0, head);
  // The 48 used dwords of four steps' lanes into three whole vectors.
  const __m512i gather0 = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 20);
  const __m512i gather1 =
      _mm512_setr_epi32(5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25);
  const __m512i gather2 =
      _mm512_setr_epi32(10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25, 26, 28, 29, 30);
  int32_t x = head;
  const LineStores lines(d + 3 * ptrdiff_t{x});
  for (; width - x >= 64; x += 64) {
    const __m512i e0 = lanes(x, 16), e1 = lanes(x + 16, 16), e2 = lanes(x + 32, 16),
                  e3 = lanes(x + 48, 16);
    uint8_t* out = d + 3 * ptrdiff_t{x};
    lines.Store(out, _mm512_permutex2var_epi32(e0, gather0, e1));
    lines.Store(out + 64, _mm512_permutex2var_epi32(e1, gather1, e2));
    lines.Store(out + 128, _mm512_permutex2var_epi32(e2, gather2, e3));
  }
  lines.Finish();
  some(x, width);
}

// Runs block(x, n) - the 4-byte outputs of the n <= 16 pixels from x, one a 32-bit
// lane - over `width` pixels and stores exactly their 4 x width bytes from d:
// whole 64-byte vectors, on cache-line boundaries after the first pixels where
// PixelsToAlign finds them, and byte masks where a step is short.
template <typename Block>
void StoreRow4(uint8_t* d, int32_t width, Block&& block) {
  const auto some = [&](int32_t from, int32_t to) {  // up to 16 pixels
    if (from < to)
      _mm512_mask_storeu_epi8(d + 4 * ptrdiff_t{from}, ByteMask(4 * (to - from)),
                              block(from, to - from));
  };
  int32_t x = PixelsToAlign(d, 4, 1) < width ? PixelsToAlign(d, 4, 1) : width;  // below 16
  some(0, x);
  const LineStores lines(d + 4 * ptrdiff_t{x});
  for (; width - x >= 16; x += 16) lines.Store(d + 4 * ptrdiff_t{x}, block(x, 16));
  lines.Finish();
  some(x, width);
}

// Sixteen 32-bit lanes as doubles, for evaluating a definition in packed doubles
// with the same operations in the same order as the scalar code.
struct Doubles16 {
  __m512d lo, hi;  // lanes 0..7, 8..15
};
inline Doubles16 ToDoubles(__m512i v) {
  return {_mm512_cvtepi32_pd(_mm512_castsi512_si256(v)),
          _mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(v, 1))};
}
inline Doubles16 operator*(double k, Doubles16 a) {
  const __m512d c = _mm512_set1_pd(k);
  return {_mm512_mul_pd(c, a.lo), _mm512_mul_pd(c, a.hi)};
}
inline Doubles16 operator*(Doubles16 a, double k) {
  const __m512d c = _mm512_set1_pd(k);
  return {_mm512_mul_pd(a.lo, c), _mm512_mul_pd(a.hi, c)};
}
inline Doubles16 operator*(Doubles16 a, Doubles16 b) {
  return {_mm512_mul_pd(a.lo, b.lo), _mm512_mul_pd(a.hi, b.hi)};
}
inline Doubles16 operator/(Doubles16 a, double k) {
  const __m512d c = _mm512_set1_pd(k);
  return {_mm512_div_pd(a.lo, c), _mm512_div_pd(a.hi, c)};
}
inline Doubles16 operator+(Doubles16 a, Doubles16 b) {
  return {_mm512_add_pd(a.lo, b.lo), _mm512_add_pd(a.hi, b.hi)};
}
inline Doubles16 operator+(Doubles16 a, double k) {
  const __m512d c = _mm512_set1_pd(k);
  return {_mm512_add_pd(a.lo, c), _mm512_add_pd(a.hi, c)};
}
inline Doubles16 operator-(Doubles16 a, Doubles16 b) {
  return {_mm512_sub_pd(a.lo, b.lo), _mm512_sub_pd(a.hi, b.hi)};
}
// Limits to lo..hi (the scalar v < lo ? lo : (v > hi ? hi : v)), then truncates
// toward zero; the values stay well inside the int32 range.
inline __m512i ClampTruncate(Doubles16 a, double lo, double hi) {
  const __m512d l = _mm512_set1_pd(lo), h = _mm512_set1_pd(hi);
  const auto one = [&](__m512d v) {
    return _mm512_cvttpd_epi32(_mm512_min_pd(_mm512_max_pd(v, l), h));
  };
  return _mm512_inserti64x4(_mm512_castsi256_si512(one(a.lo)), one(a.hi), 1);
}
// Truncates toward zero: for values of magnitude below 2^31.
inline __m512i Truncate(Doubles16 a) {
  return _mm512_inserti64x4(_mm512_castsi256_si512(_mm512_cvttpd_epi32(a.lo)),
                            _mm512_cvttpd_epi32(a.hi), 1);
}

// Formulas defined in doubles whose exact value is n / d, n an integer with
// |n| < 2^24 and |n / d| < 256: the double result lies within 1e-12 of n / d (a
// few roundings of values below 2^10), so where n / d is not an integer the double
// truncates like n / d, which is at least 1 / d >= 1e-5 from an integer.
// TruncatedQuotient gives q = trunc(n / d) from t = n x (1/d) in single precision,
// |t - n / d| <= |n / d| 2^-23 < 3.1e-5, and flags the lanes where t lies within
// 2^-13 (1.2e-4) of an integer (the subtractions that measure it round by at most
// 2^-24): elsewhere n / d lies in the same open unit interval as t, so q is right
// and n / d is no integer. A flagged lane (n a multiple of d among them) takes
// the definition instead.
inline __mmask16 TruncatedQuotient(__m512i n, float reciprocal, __m512i* q) {
  const __m512 t = _mm512_mul_ps(_mm512_cvtepi32_ps(n), _mm512_set1_ps(reciprocal));
  *q = _mm512_cvttps_epi32(t);
  const __m512 fraction =
      _mm512_sub_ps(t, _mm512_roundscale_ps(t, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
  const __m512 fromHalf = _mm512_abs_ps(_mm512_sub_ps(fraction, _mm512_set1_ps(0.5f)));
  return _mm512_cmp_ps_mask(fromHalf, _mm512_set1_ps(0.5f - 1.0f / 8192), _CMP_GT_OQ);
}

// Exact division by a constant in 16-bit lanes. Multipliers m with floor(n / d) = ((n >> 3) x m) >>
// 22 for 0 <= n < limit (checked for every such n by bench/exhaustive_check, whose inputs reach
// every n the rows form).
inline constexpr int32_t kBy1000 = 33555;  // n < 2^18
inline constexpr int32_t kBy1192 = 28150;  // n <= 303960

// q: floor(n / da) of the 16 values of a and floor(n / db) of the 16 of b, as
// 16-bit lanes in the order of _mm512_packus_epi32(a, b) (lane k: a's 4k..4k+3,
// then b's); negative n give 0. The returned 16-bit lanes are those where n is a
// positive multiple of its divisor, told by floor((n - 1) / d) differing from q:
// there the double of a definition with the exact value n / d may fall on either
// side of the integer.
inline __mmask32 FloorQuotients(__m512i a, int32_t da, __m512i b, int32_t db, __m512i* q) {
  const __m512i multipliers = _mm512_broadcast_i32x4(
      _mm_setr_epi16(static_cast<int16_t>(da), static_cast<int16_t>(da), static_cast<int16_t>(da),
                     static_cast<int16_t>(da), static_cast<int16_t>(db), static_cast<int16_t>(db),
                     static_cast<int16_t>(db), static_cast<int16_t>(db)));
  const auto quotients = [&](__m512i x, __m512i y) {
    const __m512i words = _mm512_packus_epi32(_mm512_srai_epi32(x, 3), _mm512_srai_epi32(y, 3));
    return _mm512_srli_epi16(_mm512_mulhi_epu16(words, multipliers), 6);
  };
  *q = quotients(a, b);
  const __m512i one = _mm512_set1_epi32(1);
  return _mm512_cmpneq_epi16_mask(*q,
                                  quotients(_mm512_sub_epi32(a, one), _mm512_sub_epi32(b, one)));
}

// The pixels (bit p for pixel p) of a FloorQuotients mask: 16-bit lane 8k + j and
// 8k + 4 + j are pixel 4k + j.
inline unsigned PixelsOfWordMask(uint32_t lanes) {
  const uint32_t f = (lanes | (lanes >> 4)) & 0x0F0F0F0Fu;
  return (f & 0xFu) | ((f >> 4) & 0xF0u) | ((f >> 8) & 0xF00u) | ((f >> 12) & 0xF000u);
}

// The inverted bytes 0..2 of every 32-bit lane, byte 3 kept.
inline __m512i InvertInks(__m512i v) { return _mm512_xor_si512(v, _mm512_set1_epi32(0x00FFFFFF)); }

// min or max of bytes 0..2 of every 32-bit lane, in its byte 0 (0..255).
inline __m512i LowestOfThree(__m512i v) {
  const __m512i m =
      _mm512_min_epu8(_mm512_min_epu8(v, _mm512_srli_epi32(v, 8)), _mm512_srli_epi32(v, 16));
  return _mm512_and_si512(m, _mm512_set1_epi32(0xFF));
}
inline __m512i HighestOfThree(__m512i v) {
  const __m512i m =
      _mm512_max_epu8(_mm512_max_epu8(v, _mm512_srli_epi32(v, 8)), _mm512_srli_epi32(v, 16));
  return _mm512_and_si512(m, _mm512_set1_epi32(0xFF));
}

// The byte of each 32-bit lane repeated in bytes 0..2 (byte 3 zero).
inline __m512i ToThreeBytes(__m512i u) {
  return _mm512_mullo_epi32(_mm512_and_si512(u, _mm512_set1_epi32(0xFF)),
                            _mm512_set1_epi32(0x010101));
}

// Bytes 0..2 of each 32-bit lane, bytes 0 and 2 exchanged when the RGB side is
// CSP_BGR (rgbOrder 0), as 12 bytes a 128-bit lane.
inline __m512i PixelOrder(__m512i v, int32_t rgbOrder) {
  return _mm512_shuffle_epi8(
      v, _mm512_broadcast_i32x4(
             rgbOrder ? _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, kZ, kZ, kZ, kZ)
                      : _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, kZ, kZ, kZ, kZ)));
}

}  // namespace qclr::avx512
