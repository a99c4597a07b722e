// RGB <-> BGR rows, 32 pixels (96 bytes) a step with 256-bit byte shuffles; the
// same with every byte inverted (255 - x) for the ink rows of CMY.
//
// Memory: a step reads its 96 source bytes and then writes its 96 destination
// bytes; the width mod 32 pixels at the end of a row go through the portable row.
// Nothing outside the row is read or written. Where the conversion streams
// (store_policy.h), the pixels before the first destination byte on a 16-byte
// boundary go through the portable row and the steps store with non-temporal
// moves, which combine into whole cache lines.
#include "direct/swap_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstddef>

#include "direct/store_policy.h"

namespace qclr {
namespace {

// Output byte i of a 48-byte block (16 pixels) comes from source byte
// 3 (i / 3) + 2 - i % 3. A 16-byte output vector j draws on source vectors j - 1,
// j and j + 1: Mask(j, k) selects, within source vector j + k, the bytes that
// output vector j takes from it (0x80, "zero", for the others).
constexpr std::array<uint8_t, 16> Mask(int j, int k) {
  std::array<uint8_t, 16> m{};
  for (int i = 0; i < 16; ++i) {
    const int out = 16 * j + i;
    const int from = 3 * (out / 3) + 2 - out % 3 - 16 * (j + k);
    m[i] = from >= 0 && from < 16 ? static_cast<uint8_t>(from) : 0x80;
  }
  return m;
}

__m256i Broadcast(const std::array<uint8_t, 16>& m) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data())));
}

template <bool kInvert>
void PortableRow(const uint8_t* s, uint8_t* d, int32_t width) {
  if (kInvert) {
    SwapInvertRgbRowPortable(s, d, width);
  } else {
    SwapRgbRowPortable(s, d, width);
  }
}

template <bool kStream>
void Store(__m128i* p, __m128i v) {
  if (kStream) {
    _mm_stream_si128(p, v);
  } else {
    _mm_storeu_si128(p, v);
  }
}

template <bool kInvert, bool kStream>
void SwapSteps(const uint8_t* s, uint8_t* d, int32_t width) {
  static constexpr std::array<uint8_t, 16> k0Same = Mask(0, 0), k0Next = Mask(0, 1);
  static constexpr std::array<uint8_t, 16> k1Prev = Mask(1, -1), k1Same = Mask(1, 0), k1Next = Mask(1, 1);
  static constexpr std::array<uint8_t, 16> k2Prev = Mask(2, -1), k2Same = Mask(2, 0);
  const __m256i m0s = Broadcast(k0Same), m0n = Broadcast(k0Next);
  const __m256i m1p = Broadcast(k1Prev), m1s = Broadcast(k1Same), m1n = Broadcast(k1Next);
  const __m256i m2p = Broadcast(k2Prev), m2s = Broadcast(k2Same);
  const __m256i flip = _mm256_set1_epi8(kInvert ? -1 : 0);
  int32_t x = 0;
  for (; x + 32 <= width; x += 32, s += 96, d += 96) {
    // Lanes: the low 128 bits hold pixels 0..15 of the step, the high 128 bits
    // pixels 16..31; each lane is one 48-byte block a0 a1 a2 / b0 b1 b2.
    const __m128i* in = reinterpret_cast<const __m128i*>(s);
    const __m256i v0 =
        _mm256_xor_si256(_mm256_setr_m128i(_mm_loadu_si128(in + 0), _mm_loadu_si128(in + 3)), flip);
    const __m256i v1 =
        _mm256_xor_si256(_mm256_setr_m128i(_mm_loadu_si128(in + 1), _mm_loadu_si128(in + 4)), flip);
    const __m256i v2 =
        _mm256_xor_si256(_mm256_setr_m128i(_mm_loadu_si128(in + 2), _mm_loadu_si128(in + 5)), flip);
    const __m256i o0 = _mm256_or_si256(_mm256_shuffle_epi8(v0, m0s), _mm256_shuffle_epi8(v1, m0n));
    const __m256i o1 = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(v0, m1p), _mm256_shuffle_epi8(v1, m1s)),
                                       _mm256_shuffle_epi8(v2, m1n));
    const __m256i o2 = _mm256_or_si256(_mm256_shuffle_epi8(v1, m2p), _mm256_shuffle_epi8(v2, m2s));
    __m128i* out = reinterpret_cast<__m128i*>(d);
    Store<kStream>(out + 0, _mm256_castsi256_si128(o0));
    Store<kStream>(out + 1, _mm256_castsi256_si128(o1));
    Store<kStream>(out + 2, _mm256_castsi256_si128(o2));
    Store<kStream>(out + 3, _mm256_extracti128_si256(o0, 1));
    Store<kStream>(out + 4, _mm256_extracti128_si256(o1, 1));
    Store<kStream>(out + 5, _mm256_extracti128_si256(o2, 1));
  }
  if (kStream) _mm_sfence();
  PortableRow<kInvert>(s, d, width - x);
}

template <bool kInvert>
void SwapPixels(const uint8_t* s, uint8_t* d, int32_t width) {
  if (!StreamingStores()) {
    SwapSteps<kInvert, false>(s, d, width);
    return;
  }
  // 3 p = -d (mod 16), 11 being the inverse of 3 modulo 16.
  const auto misalignment = static_cast<int32_t>(reinterpret_cast<uintptr_t>(d) % 16);
  const int32_t lead = std::min(width, (11 * ((16 - misalignment) % 16)) % 16);
  PortableRow<kInvert>(s, d, lead);
  SwapSteps<kInvert, true>(s + 3 * ptrdiff_t{lead}, d + 3 * ptrdiff_t{lead}, width - lead);
}

}  // namespace

void SwapRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width) { SwapPixels<false>(s, d, width); }

void SwapInvertRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width) {
  SwapPixels<true>(s, d, width);
}

}  // namespace qclr
#endif
