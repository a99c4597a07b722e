// Helpers of the AVX2 row files (include only from files compiled with AVX2:
// *_avx2.cpp).
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace qclr::avx2 {

inline constexpr uint8_t kZ = 0x80;  // a byte-shuffle index that gives 0

// Two 16-bit multipliers (low, high) for the pairs of _mm256_madd_epi16.
constexpr int32_t Weights(int lo, int hi) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint16_t>(lo)) |
                              (static_cast<uint32_t>(static_cast<uint16_t>(hi)) << 16));
}

// The 8 three-byte pixels at p: pixels 0..3 in bytes 0..11 of the low 128-bit
// lane, pixels 4..7 in bytes 4..15 of the high one (reads exactly 24 bytes).
inline __m256i LoadPixelLanes3(const uint8_t* p) {
  return _mm256_setr_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)));
}

// Bytes 0..11 of each 128-bit lane (8 three-byte pixels) stored as 24 bytes: 32
// where the row has `left` >= 32 bytes from d (the caller overwrites the last 8),
// else exactly 24.
inline void StorePixelLanes3(uint8_t* d, __m256i lanes, ptrdiff_t left) {
  const __m256i packed =
      _mm256_permutevar8x32_epi32(lanes, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7));
  if (left >= 32) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), packed);
  } else {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_extracti128_si256(packed, 1));
  }
}

// Eight 32-bit lanes as doubles (simd_avx512.h has the 16-lane form).
struct Doubles8 {
  __m256d lo, hi;  // lanes 0..3, 4..7
};
inline Doubles8 ToDoubles(__m256i v) {
  return {_mm256_cvtepi32_pd(_mm256_castsi256_si128(v)),
          _mm256_cvtepi32_pd(_mm256_extracti128_si256(v, 1))};
}
inline Doubles8 operator*(double k, Doubles8 a) {
  const __m256d c = _mm256_set1_pd(k);
  return {_mm256_mul_pd(c, a.lo), _mm256_mul_pd(c, a.hi)};
}
inline Doubles8 operator*(Doubles8 a, double k) {
  const __m256d c = _mm256_set1_pd(k);
  return {_mm256_mul_pd(a.lo, c), _mm256_mul_pd(a.hi, c)};
}
inline Doubles8 operator*(Doubles8 a, Doubles8 b) {
  return {_mm256_mul_pd(a.lo, b.lo), _mm256_mul_pd(a.hi, b.hi)};
}
inline Doubles8 operator/(Doubles8 a, double k) {
  const __m256d c = _mm256_set1_pd(k);
  return {_mm256_div_pd(a.lo, c), _mm256_div_pd(a.hi, c)};
}
inline Doubles8 operator+(Doubles8 a, Doubles8 b) {
  return {_mm256_add_pd(a.lo, b.lo), _mm256_add_pd(a.hi, b.hi)};
}
inline Doubles8 operator+(Doubles8 a, double k) {
  const __m256d c = _mm256_set1_pd(k);
  return {_mm256_add_pd(a.lo, c), _mm256_add_pd(a.hi, c)};
}
inline Doubles8 operator-(Doubles8 a, Doubles8 b) {
  return {_mm256_sub_pd(a.lo, b.lo), _mm256_sub_pd(a.hi, b.hi)};
}
inline __m256i ClampTruncate(Doubles8 a, double lo, double hi) {
  const __m256d l = _mm256_set1_pd(lo), h = _mm256_set1_pd(hi);
  const auto one = [&](__m256d v) {
    return _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(v, l), h));
  };
  return _mm256_setr_m128i(one(a.lo), one(a.hi));
}
inline __m256i Truncate(Doubles8 a) {
  return _mm256_setr_m128i(_mm256_cvttpd_epi32(a.lo), _mm256_cvttpd_epi32(a.hi));
}

// SmallDivisor and FloorQuotients of simd_avx512.h for 8 + 8 lanes; the result is
// nonzero when any lane's n is a positive multiple of d.
// kBy1000, kBy1192 and FloorQuotients of simd_avx512.h for 8 + 8 lanes; the
// result is nonzero when any lane's n is a positive multiple of its divisor.
inline constexpr int32_t kBy1000 = 33555;  // n < 2^18
inline constexpr int32_t kBy1192 = 28150;  // n <= 303960

inline int FloorQuotients(__m256i a, int32_t da, __m256i b, int32_t db, __m256i* q) {
  const __m256i multipliers = _mm256_broadcastsi128_si256(
      _mm_setr_epi16(static_cast<int16_t>(da), static_cast<int16_t>(da), static_cast<int16_t>(da),
                     static_cast<int16_t>(da), static_cast<int16_t>(db), static_cast<int16_t>(db),
                     static_cast<int16_t>(db), static_cast<int16_t>(db)));
  const auto quotients = [&](__m256i x, __m256i y) {
    const __m256i words = _mm256_packus_epi32(_mm256_srai_epi32(x, 3), _mm256_srai_epi32(y, 3));
    return _mm256_srli_epi16(_mm256_mulhi_epu16(words, multipliers), 6);
  };
  *q = quotients(a, b);
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i same =
      _mm256_cmpeq_epi16(*q, quotients(_mm256_sub_epi32(a, one), _mm256_sub_epi32(b, one)));
  return ~_mm256_movemask_epi8(same);
}

// TruncatedQuotient of simd_avx512.h for 8 lanes: q = trunc(n / d) from
// t = n x (1/d) in single precision, and a bit set (movemask order) for each lane
// where t lies within 2^-13 of an integer, which takes the definition
// instead.
inline int TruncatedQuotient(__m256i n, float reciprocal, __m256i* q) {
  const __m256 t = _mm256_mul_ps(_mm256_cvtepi32_ps(n), _mm256_set1_ps(reciprocal));
  *q = _mm256_cvttps_epi32(t);
  const __m256 fraction = _mm256_sub_ps(t, _mm256_floor_ps(t));
  const __m256 fromHalf =
      _mm256_andnot_ps(_mm256_set1_ps(-0.0f), _mm256_sub_ps(fraction, _mm256_set1_ps(0.5f)));
  return _mm256_movemask_ps(
      _mm256_cmp_ps(fromHalf, _mm256_set1_ps(0.5f - 1.0f / 8192), _CMP_GT_OQ));
}

// Pixels as 32-bit lanes of bytes (C M Y K, or R G B and a spare byte); see
// simd_avx512.h for what each helper does.
inline __m256i InvertInks(__m256i v) { return _mm256_xor_si256(v, _mm256_set1_epi32(0x00FFFFFF)); }

inline __m256i LowestOfThree(__m256i v) {
  const __m256i m =
      _mm256_min_epu8(_mm256_min_epu8(v, _mm256_srli_epi32(v, 8)), _mm256_srli_epi32(v, 16));
  return _mm256_and_si256(m, _mm256_set1_epi32(0xFF));
}
inline __m256i HighestOfThree(__m256i v) {
  const __m256i m =
      _mm256_max_epu8(_mm256_max_epu8(v, _mm256_srli_epi32(v, 8)), _mm256_srli_epi32(v, 16));
  return _mm256_and_si256(m, _mm256_set1_epi32(0xFF));
}

inline __m256i ToThreeBytes(__m256i u) {
  return _mm256_mullo_epi32(_mm256_and_si256(u, _mm256_set1_epi32(0xFF)),
                            _mm256_set1_epi32(0x010101));
}

inline __m256i PixelOrder(__m256i v, int32_t rgbOrder) {
  const __m128i order = rgbOrder
                            ? _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, kZ, kZ, kZ, kZ)
                            : _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, kZ, kZ, kZ, kZ);
  return _mm256_shuffle_epi8(v, _mm256_broadcastsi128_si256(order));
}

}  // namespace qclr::avx2
