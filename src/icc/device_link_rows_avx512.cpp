// Device-link rows with AVX-512 for four inputs, one pixel a step
// (device_link_rows.h has the arithmetic): the two slices side by side in
// 512-bit registers, the first lerps on sixteen 32-bit lanes, the next ones on
// 64-bit lanes.
//
// Memory: each pixel reads its own 4 source bytes, and in the padded grid the two
// nodes that one 16-byte load covers along the last input, in both slices (the
// second node may be the slack node after the grid; its weight is then 0). It
// writes exactly its 3 or 4 destination bytes.
#include "icc/device_link_rows.h"

#if QCLR_X86_SIMD
// GCC's AVX-512 intrinsics start some results from an undefined vector
// (_mm512_undefined_epi32), which its own uninitialised-value warnings then report.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#include <cstring>

namespace qclr {
namespace {

// The pair along the last input at `a` (slice a) and at `b` (slice b): lanes 0-7
// slice a's lower and upper node, 8-15 slice b's.
inline __m512i LoadPairs(const uint8_t* a, const uint8_t* b) {
  const __m256i both = _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1);
  return _mm512_cvtepu16_epi32(both);
}

inline __m512i Weight(uint32_t w) { return _mm512_set1_epi32(static_cast<int32_t>(w)); }

inline __m512i Blend(__m512i a, __m512i b, __m512i wa, __m512i wb) {
  return _mm512_add_epi64(_mm512_mul_epu32(a, wa), _mm512_mul_epu32(b, wb));
}

inline __m256i Blend(__m256i a, __m256i b, __m256i wa, __m256i wb) {
  return _mm256_add_epi64(_mm256_mul_epu32(a, wa), _mm256_mul_epu32(b, wb));
}

// Lane 0 of `bytes` holds channels 0 and 2 at bytes 0 and 8, lane 1 channels 1 and
// 3; the word gets them in the order 0 1 2 3, or 2 1 0 for reversed output.
__m256i JoinMask(bool swapOutput) {
  const char z = static_cast<char>(0x80);
  return swapOutput ? _mm256_setr_epi8(8, z, 0, z, z, z, z, z, z, z, z, z, z, z, z, z,  //
                                       z, 0, z, z, z, z, z, z, z, z, z, z, z, z, z, z)
                    : _mm256_setr_epi8(0, z, 8, z, z, z, z, z, z, z, z, z, z, z, z, z,  //
                                       z, 0, z, 8, z, z, z, z, z, z, z, z, z, z, z, z);
}

inline uint32_t JoinBytes(__m256i bytes, __m256i mask) {
  const __m256i placed = _mm256_shuffle_epi8(bytes, mask);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(
      _mm_or_si128(_mm256_castsi256_si128(placed), _mm256_extracti128_si256(placed, 1))));
}

template <int kOutBytes>
inline void Store(uint32_t v, uint8_t* out) {
  if constexpr (kOutBytes == 4) {
    std::memcpy(out, &v, 4);
  } else {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
  }
}

template <int kOutBytes>
void Grid4Row(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  const auto* grid = reinterpret_cast<const uint8_t*>(d.grid);
  const __m256i mask = JoinMask(d.swapOutput);
  const __m512i round = _mm512_set1_epi64(0x80000000);
  for (int32_t x = 0; x < count; ++x, in += 4, out += kOutBytes) {
    const LinkAxisStep& s = d.axes[0][in[0]];
    const LinkAxisStep& a1 = d.axes[1][in[1]];
    const LinkAxisStep& a2 = d.axes[2][in[2]];
    const LinkAxisStep& a3 = d.axes[3][in[3]];
    const uint8_t* a = grid + s.lower + a1.lower + a2.lower + a3.lower;
    const uint8_t* b = a + s.step;
    // Along the second input: c<j> for the third input's lower (j = 0) and upper
    // node, exact in 32-bit lanes.
    const __m512i b1 = Weight(a1.below), u1 = Weight(a1.above);
    const __m512i c0 = _mm512_add_epi32(_mm512_mullo_epi32(LoadPairs(a, b), b1),
                                        _mm512_mullo_epi32(LoadPairs(a + a1.step, b + a1.step), u1));
    a += a2.step;
    b += a2.step;
    const __m512i c1 = _mm512_add_epi32(_mm512_mullo_epi32(LoadPairs(a, b), b1),
                                        _mm512_mullo_epi32(LoadPairs(a + a1.step, b + a1.step), u1));
    // Along the third input, on 64-bit lanes; 128-bit lanes: slice a's lower and
    // upper node on the last input, then slice b's; even channels 0 and 2, odd 1
    // and 3.
    const __m512i b2 = Weight(a2.below), u2 = Weight(a2.above);
    const __m512i even = _mm512_srli_epi64(Blend(c0, c1, b2, u2), 16);
    const __m512i odd =
        _mm512_srli_epi64(Blend(_mm512_srli_epi64(c0, 32), _mm512_srli_epi64(c1, 32), b2, u2), 16);
    // Along the last input, then each slice's rounding to 16 bits: (s + 2^31) >> 32.
    // 128-bit lanes: slice a even, slice b even, slice a odd, slice b odd.
    const __m512i lower = _mm512_shuffle_i64x2(even, odd, _MM_SHUFFLE(2, 0, 2, 0));
    const __m512i upper = _mm512_shuffle_i64x2(even, odd, _MM_SHUFFLE(3, 1, 3, 1));
    const __m512i rounded = _mm512_srli_epi64(
        _mm512_add_epi64(Blend(lower, upper, Weight(a3.below), Weight(a3.above)), round), 32);
    // 256-bit halves: slice a's channels 0, 2, 1, 3, then slice b's.
    const __m512i slices = _mm512_shuffle_i64x2(rounded, rounded, _MM_SHUFFLE(3, 1, 2, 0));
    // Between the slices: (a x (65536 - f) + b x f) >> 16, then the packer's >> 8,
    // on channels 0, 2, 1, 3.
    const __m256i ws = _mm256_set1_epi32(static_cast<int32_t>(s.below));
    const __m256i us = _mm256_set1_epi32(static_cast<int32_t>(s.above));
    const __m256i bytes = _mm256_srli_epi64(
        Blend(_mm512_castsi512_si256(slices), _mm512_extracti64x4_epi64(slices, 1), ws, us), 24);
    Store<kOutBytes>(JoinBytes(bytes, mask), out);
  }
}

}  // namespace

void DeviceLink4RowAvx512(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  if (d.outputs == 4) {
    Grid4Row<4>(d, in, out, count);
  } else {
    Grid4Row<3>(d, in, out, count);
  }
}

}  // namespace qclr
#endif
