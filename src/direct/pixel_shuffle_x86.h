// Groups of 8 three-byte pixels (24 bytes) split into their channels and put back
// together with byte shuffles, for the row files compiled with AVX2 or AVX-512.
//
// Everything here has internal linkage: files compiled for different instruction
// sets each get their own copy (a shared inline copy could be taken from the
// file with the wider set and run where that set is missing).
#pragma once

#include "base/instruction_set.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include <array>
#include <cstdint>

namespace qclr {
namespace {

struct ChannelMasks {
  __m128i low, high;  // bytes taken from source bytes 0..15 and 16..23
};

// Channel c (0..2) of the 8 pixels into bytes 0..7 of the result.
inline ChannelMasks SplitMasks(int c) {
  std::array<uint8_t, 16> low{}, high{};
  for (int i = 0; i < 16; ++i) {
    const int from = i < 8 ? 3 * i + c : 99;
    low[i] = from < 16 ? static_cast<uint8_t>(from) : 0x80;
    high[i] = from >= 16 && from < 24 ? static_cast<uint8_t>(from - 16) : 0x80;
  }
  return {_mm_loadu_si128(reinterpret_cast<const __m128i*>(low.data())),
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(high.data()))};
}

// Reads exactly 24 bytes.
struct Pixels8 {
  __m128i low, high;
  explicit Pixels8(const uint8_t* s)
      : low(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s))),
        high(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + 16))) {}
  __m128i Channel(const ChannelMasks& m) const {
    return _mm_or_si128(_mm_shuffle_epi8(low, m.low), _mm_shuffle_epi8(high, m.high));
  }
};

// Writes exactly 24 bytes: byte 0 of each pixel from bytes 0..7 of `first`,
// byte 1 from bytes 8..15 of `first`, byte 2 from bytes 0..7 of `last`.
struct JoinMasks {
  __m128i firstLow, lastLow, firstHigh, lastHigh;
  JoinMasks() {
    std::array<uint8_t, 16> m[4]{};
    for (int j = 0; j < 24; ++j) {
      const int pixel = j / 3, c = j % 3;
      const uint8_t fromFirst = c < 2 ? static_cast<uint8_t>(8 * c + pixel) : 0x80;
      const uint8_t fromLast = c == 2 ? static_cast<uint8_t>(pixel) : 0x80;
      m[j < 16 ? 0 : 2][j % 16] = fromFirst;
      m[j < 16 ? 1 : 3][j % 16] = fromLast;
    }
    for (int j = 24; j < 32; ++j) m[2][j % 16] = m[3][j % 16] = 0x80;
    firstLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m[0].data()));
    lastLow = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m[1].data()));
    firstHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m[2].data()));
    lastHigh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m[3].data()));
  }
  void Store(__m128i first, __m128i last, uint8_t* d) const {
    const __m128i low = _mm_or_si128(_mm_shuffle_epi8(first, firstLow), _mm_shuffle_epi8(last, lastLow));
    const __m128i high = _mm_or_si128(_mm_shuffle_epi8(first, firstHigh), _mm_shuffle_epi8(last, lastHigh));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), low);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), high);
  }
};

}  // namespace
}  // namespace qclr

#endif
