// Helpers of the AVX2 row files (include only from files compiled with AVX2:
// *_avx2.cpp).
#pragma once

#include <immintrin.h>

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

}  // namespace qclr::avx2
