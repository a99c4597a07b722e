// Helpers of the AVX-512 row files (include only from files compiled with
// AVX-512: *_avx512.cpp).
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

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
  return _mm512_permutexvar_epi32(_mm512_setr_epi32(0, 1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9, 9, 10, 11, 12),
                                  LoadBytes(p, 3 * n, left));
}

// 4 x 12 bytes, bytes 0..11 of each 128-bit lane, stored as 48 bytes: all 64 of
// the vector where the row has `left` >= 64 bytes from d (the caller overwrites
// the last 16), else only the first n3 <= 48.
inline void StorePixelLanes3(uint8_t* d, __m512i lanes, int32_t n3, ptrdiff_t left) {
  const __m512i packed = _mm512_permutexvar_epi32(
      _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 15, 15, 15, 15), lanes);
  if (left >= 64) {
    _mm512_storeu_si512(d, packed);
  } else {
    _mm512_mask_storeu_epi8(d, ByteMask(n3), packed);
  }
}

}  // namespace qclr::avx512
