// Device-link rows with AVX2, one pixel a step (device_link_rows.h has the
// arithmetic): the first lerps on eight 32-bit lanes (the two nodes of a pair
// along the last input, four channels each), the next ones on 64-bit lanes.
//
// Memory: each pixel reads its own 3 or 4 source bytes, and in the padded grid
// the two nodes that one 16-byte load covers along the last input (the second may
// be the slack node after the grid; its weight is then 0). It writes exactly its
// 3 or 4 destination bytes, after reading its source bytes, so a run may be
// converted in place when both sides have the same pixel size.
#include "icc/device_link_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include <cstring>

namespace qclr {
namespace {

// Two neighbouring nodes along the last input as 32-bit lanes: 0-3 the lower
// node's channels, 4-7 the upper's.
inline __m256i LoadPair(const uint8_t* p) {
  return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

inline __m256i Weight(uint32_t w) { return _mm256_set1_epi32(static_cast<int32_t>(w)); }

// a x wa + b x wb on the 64-bit lanes, from the low 32 bits of each (below 2^49).
inline __m256i Blend(__m256i a, __m256i b, __m256i wa, __m256i wb) {
  return _mm256_add_epi64(_mm256_mul_epu32(a, wa), _mm256_mul_epu32(b, wb));
}

// The lerps along the first two trilinear inputs at `node`, for both nodes of the
// pair along the third: even holds channels 0 and 2 of the lower node (128-bit
// lane 0) and of the upper one (lane 1), odd channels 1 and 3.
struct Planes {
  __m256i even;
  __m256i odd;
};

inline Planes Bilinear(const uint8_t* node, const LinkAxisStep& a0, const LinkAxisStep& a1) {
  // v0 x (65536 - f) + v1 x f, below 2^32: exact in 32-bit lanes.
  const __m256i b0 = Weight(a0.below), u0 = Weight(a0.above);
  const __m256i c0 = _mm256_add_epi32(_mm256_mullo_epi32(LoadPair(node), b0),
                                      _mm256_mullo_epi32(LoadPair(node + a0.step), u0));
  const uint8_t* next = node + a1.step;
  const __m256i c1 = _mm256_add_epi32(_mm256_mullo_epi32(LoadPair(next), b0),
                                      _mm256_mullo_epi32(LoadPair(next + a0.step), u0));
  const __m256i b1 = Weight(a1.below), u1 = Weight(a1.above);
  return {_mm256_srli_epi64(Blend(c0, c1, b1, u1), 16),
          _mm256_srli_epi64(Blend(_mm256_srli_epi64(c0, 32), _mm256_srli_epi64(c1, 32), b1, u1), 16)};
}

// The last lerp, along the third input, of one pixel's planes: 64-bit sums of
// channels 0, 2, 1, 3.
inline __m256i LastLerp(Planes p, const LinkAxisStep& a2) {
  const __m256i lower = _mm256_permute2x128_si256(p.even, p.odd, 0x20);
  const __m256i upper = _mm256_permute2x128_si256(p.even, p.odd, 0x31);
  return Blend(lower, upper, Weight(a2.below), Weight(a2.above));
}

// Channel bytes in the low byte of the 64-bit lanes, in the order 0, 2, 1, 3,
// gathered into one 32-bit word in the order of `mask`.
inline uint32_t JoinBytes(__m256i bytes, __m256i mask) {
  const __m256i placed = _mm256_shuffle_epi8(bytes, mask);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(
      _mm_or_si128(_mm256_castsi256_si128(placed), _mm256_extracti128_si256(placed, 1))));
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
void Grid3Row(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  const auto* grid = reinterpret_cast<const uint8_t*>(d.grid);
  const int32_t i0 = d.inOrder[0], i2 = d.inOrder[2];
  const __m256i mask = JoinMask(d.swapOutput);
  // The channel's rounding (+ 0x8000 >> 16) and the packer's >> 8, on s >> 16.
  const __m256i round = _mm256_set1_epi64x(0x80000000);
  for (int32_t x = 0; x < count; ++x, in += 3, out += kOutBytes) {
    const LinkAxisStep& a0 = d.axes[0][in[i0]];
    const LinkAxisStep& a1 = d.axes[1][in[1]];
    const LinkAxisStep& a2 = d.axes[2][in[i2]];
    const Planes p = Bilinear(grid + a0.lower + a1.lower + a2.lower, a0, a1);
    const __m256i bytes = _mm256_srli_epi64(_mm256_add_epi64(LastLerp(p, a2), round), 40);
    Store<kOutBytes>(JoinBytes(bytes, mask), out);
  }
}

template <int kOutBytes>
void Grid4Row(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  const auto* grid = reinterpret_cast<const uint8_t*>(d.grid);
  const __m256i mask = JoinMask(d.swapOutput);
  const __m256i round = _mm256_set1_epi64x(0x80000000);
  for (int32_t x = 0; x < count; ++x, in += 4, out += kOutBytes) {
    const LinkAxisStep& s = d.axes[0][in[0]];
    const LinkAxisStep& a1 = d.axes[1][in[1]];
    const LinkAxisStep& a2 = d.axes[2][in[2]];
    const LinkAxisStep& a3 = d.axes[3][in[3]];
    const uint8_t* node = grid + s.lower + a1.lower + a2.lower + a3.lower;
    const Planes a = Bilinear(node, a1, a2);
    const Planes b = Bilinear(node + s.step, a1, a2);
    // The last trilinear lerp of both slices at once, then each slice's rounding
    // to 16 bits: (s + 2^31) >> 32. Lanes: slice a channels 0, 2, slice b 0, 2.
    const __m256i b3 = Weight(a3.below), u3 = Weight(a3.above);
    const __m256i even = _mm256_srli_epi64(
        _mm256_add_epi64(Blend(_mm256_permute2x128_si256(a.even, b.even, 0x20),
                               _mm256_permute2x128_si256(a.even, b.even, 0x31), b3, u3),
                         round),
        32);
    const __m256i odd = _mm256_srli_epi64(
        _mm256_add_epi64(Blend(_mm256_permute2x128_si256(a.odd, b.odd, 0x20),
                               _mm256_permute2x128_si256(a.odd, b.odd, 0x31), b3, u3),
                         round),
        32);
    // Between the slices: (a x (65536 - f) + b x f) >> 16, then the packer's >> 8,
    // on channels 0, 2, 1, 3.
    const __m256i sliceA = _mm256_permute2x128_si256(even, odd, 0x20);
    const __m256i sliceB = _mm256_permute2x128_si256(even, odd, 0x31);
    const __m256i bytes = _mm256_srli_epi64(Blend(sliceA, sliceB, Weight(s.below), Weight(s.above)), 24);
    Store<kOutBytes>(JoinBytes(bytes, mask), out);
  }
}

}  // namespace

void DeviceLink3RowAvx2(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  if (d.outputs == 4) {
    Grid3Row<4>(d, in, out, count);
  } else {
    Grid3Row<3>(d, in, out, count);
  }
}

void DeviceLink4RowAvx2(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count) {
  if (d.outputs == 4) {
    Grid4Row<4>(d, in, out, count);
  } else {
    Grid4Row<3>(d, in, out, count);
  }
}

}  // namespace qclr
#endif
