// Blocks of 8 three-byte pixels (24 bytes) in 256-bit registers, for the AVX2
// rows of the handle converters: include only from files compiled for AVX2.
//
// Reads and writes stay within the block's 24 bytes.
#pragma once

#include <immintrin.h>

#include <cstdint>

namespace qclr::avx2 {

// Bytes 0-15 of the block in the low 128 bits, bytes 8-23 in the high 128 bits.
inline __m256i LoadBlock24(const uint8_t* s) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 8)), 1);
}

// Byte `first` of each of the 8 pixels of a loaded block, as 32-bit lanes.
inline __m256i Channel24(__m256i block, int first) {
  const auto at = [](int i) { return static_cast<char>(i); };
  const char z = static_cast<char>(0x80);
  const int f = first;
  return _mm256_shuffle_epi8(block, _mm256_setr_epi8(at(f), z, z, z, at(f + 3), z, z, z, at(f + 6), z, z, z,
                                                     at(f + 9), z, z, z, at(f + 4), z, z, z, at(f + 7), z, z, z,
                                                     at(f + 10), z, z, z, at(f + 13), z, z, z));
}

// Writes the low three bytes of each 32-bit lane, lanes in order: 24 bytes.
inline void StoreBlock24(__m256i pixels, uint8_t* d) {
  const char z = static_cast<char>(0x80);
  const __m256i packed = _mm256_shuffle_epi8(
      pixels, _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, z, z, z, z,  //
                               0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, z, z, z, z));
  const __m128i low = _mm256_castsi256_si128(packed), high = _mm256_extracti128_si256(packed, 1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_or_si128(low, _mm_slli_si128(high, 12)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm_srli_si128(high, 4));
}

}  // namespace qclr::avx2
