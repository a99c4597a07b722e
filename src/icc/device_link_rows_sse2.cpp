// Device-link rows with SSE2, one pixel a step (device_link_rows.h has the
// arithmetic).
//
// Memory: each pixel reads its own 3 or 4 source bytes, and in the padded grid
// the two nodes that one 16-byte load covers along the last input (the second may
// be the slack node after the grid; its weight is then 0). It writes exactly its
// 3 or 4 destination bytes, after reading its source bytes, so a run may be
// converted in place when both sides have the same pixel size.
#include "icc/device_link_rows.h"

#if QCLR_X86_SIMD
#include <emmintrin.h>

#include <cstring>

namespace qclr {
namespace {

// Two neighbouring nodes along the last input: lanes 0-3 the lower node's
// channels, 4-7 the upper's.
inline __m128i LoadPair(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// The first lerp, along the first trilinear input, for both nodes of a pair:
// v0 x (65536 - f) + v1 x f = (v0 << 16) + v1 x f - v0 x f, which is below 2^32, so
// the 32-bit lanes hold it exactly although the terms wrap. f is at most 65535
// (65536 - f may be 65536, so it is never a 16-bit factor). `low` receives the
// lower node's four channels, `high` the upper's.
inline void FirstLerp(__m128i v0, __m128i v1, __m128i f, __m128i* low, __m128i* high) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo1 = _mm_mullo_epi16(v1, f), hi1 = _mm_mulhi_epu16(v1, f);
  const __m128i lo0 = _mm_mullo_epi16(v0, f), hi0 = _mm_mulhi_epu16(v0, f);
  *low = _mm_add_epi32(_mm_unpacklo_epi16(zero, v0),
                       _mm_sub_epi32(_mm_unpacklo_epi16(lo1, hi1), _mm_unpacklo_epi16(lo0, hi0)));
  *high = _mm_add_epi32(_mm_unpackhi_epi16(zero, v0),
                        _mm_sub_epi32(_mm_unpackhi_epi16(lo1, hi1), _mm_unpackhi_epi16(lo0, hi0)));
}

// a x wa + b x wb on the 64-bit lanes, from the low 32 bits of each (below 2^49).
inline __m128i Blend(__m128i a, __m128i b, __m128i wa, __m128i wb) {
  return _mm_add_epi64(_mm_mul_epu32(a, wa), _mm_mul_epu32(b, wb));
}

// The next lerp on four 32-bit channels, as (even lanes: channels 0 and 2; odd
// lanes: 1 and 3) 64-bit sums.
struct Sums {
  __m128i even;
  __m128i odd;
};

inline Sums BlendChannels(__m128i a, __m128i b, __m128i wa, __m128i wb) {
  return {Blend(a, b, wa, wb), Blend(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32), wa, wb)};
}

inline Sums Shift16(Sums s) { return {_mm_srli_epi64(s.even, 16), _mm_srli_epi64(s.odd, 16)}; }

// Trilinear interpolation at the node `node` of the padded grid with the steps and
// weights of the three trilinear axes (the last one's step is the pair): the last
// lerp's 64-bit sums, channels 0 and 2 in `even`, 1 and 3 in `odd`.
inline Sums Trilinear(const uint8_t* node, const LinkAxisStep& a0, const LinkAxisStep& a1,
                      const LinkAxisStep& a2) {
  const __m128i f0 = _mm_set1_epi16(static_cast<int16_t>(a0.above));
  __m128i c00, c01, c10, c11;  // c<j><l>: j along the second input, l along the third
  FirstLerp(LoadPair(node), LoadPair(node + a0.step), f0, &c00, &c01);
  FirstLerp(LoadPair(node + a1.step), LoadPair(node + a1.step + a0.step), f0, &c10, &c11);
  const __m128i b1 = _mm_set1_epi32(static_cast<int32_t>(a1.below));
  const __m128i u1 = _mm_set1_epi32(static_cast<int32_t>(a1.above));
  const Sums e0 = Shift16(BlendChannels(c00, c10, b1, u1));
  const Sums e1 = Shift16(BlendChannels(c01, c11, b1, u1));
  const __m128i b2 = _mm_set1_epi32(static_cast<int32_t>(a2.below));
  const __m128i u2 = _mm_set1_epi32(static_cast<int32_t>(a2.above));
  return {Blend(e0.even, e1.even, b2, u2), Blend(e0.odd, e1.odd, b2, u2)};
}

// Four channel bytes, channel 0 in the low byte, from (even, odd) bytes in the
// low byte of each 64-bit lane.
inline uint32_t JoinBytes(__m128i even, __m128i odd) {
  const __m128i pairs = _mm_or_si128(even, _mm_slli_epi64(odd, 8));
  return static_cast<uint32_t>(_mm_cvtsi128_si32(pairs)) |
         static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(pairs, 8))) << 16;
}

template <int kOutBytes, bool kSwapOut>
inline void Store(uint32_t v, uint8_t* out) {
  if constexpr (kOutBytes == 4) {
    std::memcpy(out, &v, 4);
  } else if constexpr (kSwapOut) {
    out[0] = static_cast<uint8_t>(v >> 16);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v);
  } else {
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
  }
}

template <int kOutBytes, bool kSwapOut>
void Grid3Row(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  const auto* grid = reinterpret_cast<const uint8_t*>(d.grid);
  const int32_t i0 = d.inOrder[0], i2 = d.inOrder[2];
  // The channel's rounding (+ 0x8000 >> 16) and the packer's >> 8, on s >> 16.
  const __m128i round = _mm_set_epi32(0, INT32_MIN, 0, INT32_MIN);
  for (int32_t x = 0; x < count; ++x, in += 3, out += kOutBytes) {
    const LinkAxisStep& a0 = d.axes[0][in[i0]];
    const LinkAxisStep& a1 = d.axes[1][in[1]];
    const LinkAxisStep& a2 = d.axes[2][in[i2]];
    const Sums s = Trilinear(grid + a0.lower + a1.lower + a2.lower, a0, a1, a2);
    const __m128i even = _mm_srli_epi64(_mm_add_epi64(s.even, round), 40);
    const __m128i odd = _mm_srli_epi64(_mm_add_epi64(s.odd, round), 40);
    Store<kOutBytes, kSwapOut>(JoinBytes(even, odd), out);
  }
}

template <int kOutBytes, bool kSwapOut>
void Grid4Row(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  const auto* grid = reinterpret_cast<const uint8_t*>(d.grid);
  const __m128i round = _mm_set_epi32(0, INT32_MIN, 0, INT32_MIN);
  for (int32_t x = 0; x < count; ++x, in += 4, out += kOutBytes) {
    const LinkAxisStep& s = d.axes[0][in[0]];
    const LinkAxisStep& a1 = d.axes[1][in[1]];
    const LinkAxisStep& a2 = d.axes[2][in[2]];
    const LinkAxisStep& a3 = d.axes[3][in[3]];
    const uint8_t* node = grid + s.lower + a1.lower + a2.lower + a3.lower;
    // Each slice's channels: (s + 2^31) >> 32, the rounding to 16 bits.
    const Sums a = Trilinear(node, a1, a2, a3);
    const Sums b = Trilinear(node + s.step, a1, a2, a3);
    const __m128i ws = _mm_set1_epi32(static_cast<int32_t>(s.below));
    const __m128i us = _mm_set1_epi32(static_cast<int32_t>(s.above));
    // Between the slices: a + (b - a) x f / 65536 truncated, (a x (65536 - f) + b x f)
    // >> 16 (both ends are non-negative), then the packer's >> 8.
    const __m128i even = _mm_srli_epi64(Blend(_mm_srli_epi64(_mm_add_epi64(a.even, round), 32),
                                              _mm_srli_epi64(_mm_add_epi64(b.even, round), 32), ws, us),
                                        24);
    const __m128i odd = _mm_srli_epi64(Blend(_mm_srli_epi64(_mm_add_epi64(a.odd, round), 32),
                                             _mm_srli_epi64(_mm_add_epi64(b.odd, round), 32), ws, us),
                                       24);
    Store<kOutBytes, kSwapOut>(JoinBytes(even, odd), out);
  }
}

}  // namespace

void DeviceLink3RowSse2(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  if (d.outputs == 4) {
    Grid3Row<4, false>(d, in, out, count);
  } else if (d.swapOutput) {
    Grid3Row<3, true>(d, in, out, count);
  } else {
    Grid3Row<3, false>(d, in, out, count);
  }
}

void DeviceLink4RowSse2(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  if (d.outputs == 4) {
    Grid4Row<4, false>(d, in, out, count);
  } else if (d.swapOutput) {
    Grid4Row<3, true>(d, in, out, count);
  } else {
    Grid4Row<3, false>(d, in, out, count);
  }
}

}  // namespace qclr
#endif
