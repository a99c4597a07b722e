// Subsampled video encoders (RGB to YUY2, UYVY, Y41P, YVU9), 16 pixels a step in
// 512-bit vectors.
//
// Memory: loads read whole 64-byte vectors where the row has 64 bytes from the
// step's first pixel, else they are masked to the step's own bytes. Stores write
// the step's destination bytes (Y41P: 32 bytes while the row has them, the next
// step overwriting the last 8), masked where the step is short. Nothing outside
// the row is read or written.
//
// Arithmetic: as in video_encode_rows_avx2.cpp, the definition in integers.
#include "direct/video_rows.h"

#if QCLR_X86_SIMD
#include <array>
#include <cstring>

#include "direct/simd_avx512.h"

namespace qclr {
namespace {

using avx512::ByteMask;
using avx512::kZ;
using avx512::Weights;

// Byte shuffles from a lane's 4 three-byte pixels to 32-bit lanes (R, G) and (B, 0)
// of 16-bit values.
using Mask16 = std::array<uint8_t, 16>;
constexpr Mask16 RgbMask(int first, int second) {
  Mask16 m{};
  for (int i = 0; i < 4; ++i) {
    m[4 * i] = static_cast<uint8_t>(3 * i + first);
    m[4 * i + 1] = kZ;
    m[4 * i + 2] = second < 0 ? kZ : static_cast<uint8_t>(3 * i + second);
    m[4 * i + 3] = kZ;
  }
  return m;
}
constexpr Mask16 kRgFromRgb = RgbMask(0, 1), kBFromRgb = RgbMask(2, -1);
constexpr Mask16 kRgFromBgr = RgbMask(2, 1), kBFromBgr = RgbMask(0, -1);

__m512i Broadcast(const Mask16& m) {
  return _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data())));
}

struct Samples {
  __m512i y, u, v;  // one pixel a 32-bit lane, pixels 4k..4k+3 in 128-bit lane k
};

// The n <= 16 pixels at s (`left` bytes of the row from s).
Samples Encode16(const uint8_t* s, int32_t n, ptrdiff_t left, bool rgb) {
  const __m512i bytes = avx512::LoadPixelLanes3(s, n, left);
  const __m512i rg = _mm512_shuffle_epi8(bytes, Broadcast(rgb ? kRgFromRgb : kRgFromBgr));
  const __m512i b = _mm512_shuffle_epi8(bytes, Broadcast(rgb ? kBFromRgb : kBFromBgr));
  const auto sum = [&](int wr, int wg, int wb, int32_t offset) {
    return _mm512_srai_epi32(
        _mm512_add_epi32(_mm512_add_epi32(_mm512_madd_epi16(rg, _mm512_set1_epi32(Weights(wr, wg))),
                                          _mm512_madd_epi16(b, _mm512_set1_epi32(Weights(wb, 0)))),
                         _mm512_set1_epi32(offset)),
        10);
  };
  return {sum(263, 516, 100, 16 * 1024 - 440), sum(-152, -298, 450, 128 * 1024),
          sum(450, -377, -73, 128 * 1024)};
}

// Each 32-bit lane plus its neighbour: the sums of pixel pairs, twice each.
__m512i PairSums(__m512i v) { return _mm512_add_epi32(v, _mm512_shuffle_epi32(v, _MM_PERM_CDAB)); }

// The sum of each 128-bit lane's four 32-bit lanes, in all four.
__m512i QuadSums(__m512i v) {
  const __m512i pairs = PairSums(v);
  return _mm512_add_epi32(pairs, _mm512_shuffle_epi32(pairs, _MM_PERM_BADC));
}

// Per lane: y0 y1 y2 y3 as bytes 0..3, then the dwords of a and b packed to bytes
// 4..7 and 8..11.
__m512i PackLane(__m512i y, __m512i a, __m512i b) {
  return _mm512_packus_epi16(_mm512_packs_epi32(y, a), _mm512_packs_epi32(b, b));
}

template <int kY0, int kU, int kY1, int kV>
void PairRow(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  // A lane's bytes: y0 y1 y2 y3 u01 u01 u23 u23 v01 v01 v23 v23 ...
  std::array<uint8_t, 16> order{};
  for (int p = 0; p < 2; ++p) {
    order[4 * p + kY0] = static_cast<uint8_t>(2 * p);
    order[4 * p + kY1] = static_cast<uint8_t>(2 * p + 1);
    order[4 * p + kU] = static_cast<uint8_t>(4 + 2 * p);
    order[4 * p + kV] = static_cast<uint8_t>(8 + 2 * p);
  }
  for (int i = 8; i < 16; ++i) order[i] = kZ;
  const __m512i shuffle =
      _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(order.data())));
  for (int32_t x = 0; x < width; x += 16, s += 48, d += 32) {
    const int32_t n = width - x < 16 ? width - x : 16;
    const Samples p = Encode16(s, n, 3 * ptrdiff_t{width - x}, rgb);
    const __m512i u = _mm512_srli_epi32(PairSums(p.u), 1), v = _mm512_srli_epi32(PairSums(p.v), 1);
    const __m512i pairs =
        _mm512_permutexvar_epi64(_mm512_setr_epi64(0, 2, 4, 6, 0, 0, 0, 0),
                                 _mm512_shuffle_epi8(PackLane(p.y, u, v), shuffle));
    if (n == 16) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm512_castsi512_si256(pairs));
    } else {
      _mm256_mask_storeu_epi8(d, static_cast<__mmask32>(ByteMask(2 * n)),
                              _mm512_castsi512_si256(pairs));
    }
  }
}

}  // namespace

void RgbToYuy2RowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  PairRow<0, 1, 2, 3>(s, d, width, at);
}

void RgbToUyvyRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  PairRow<1, 0, 3, 2>(s, d, width, at);
}

void RgbToY41pRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  // From y0..y3 U V U V y4..y7 U4 V4 U4 V4 (the first two dwords of two lanes) to
  // U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4..Y7.
  const __m512i order =
      _mm512_broadcast_i32x4(_mm_setr_epi8(4, 0, 5, 1, 12, 2, 13, 3, 8, 9, 10, 11, kZ, kZ, kZ, kZ));
  for (int32_t x = 0; x < width; x += 16, s += 48, d += 24) {
    const int32_t n = width - x < 16 ? width - x : 16;  // 8 or 16
    const Samples p = Encode16(s, n, 3 * ptrdiff_t{width - x}, rgb);
    const __m512i uv = _mm512_mask_blend_epi32(0xAAAA, _mm512_srli_epi32(QuadSums(p.u), 2),
                                               _mm512_srli_epi32(QuadSums(p.v), 2));  // U V U V
    const __m512i bytes = _mm512_packus_epi16(_mm512_packs_epi32(p.y, uv), _mm512_setzero_si512());
    // Group 0 from lanes 0 and 1 into lane 0, group 1 from lanes 2 and 3 into lane 1.
    const __m512i groups = _mm512_shuffle_epi8(
        _mm512_permutexvar_epi32(
            _mm512_setr_epi32(0, 1, 4, 5, 8, 9, 12, 13, 0, 0, 0, 0, 0, 0, 0, 0), bytes),
        order);
    const __m512i packed = _mm512_permutexvar_epi32(
        _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), groups);
    if (width - x >= 24) {  // 32 bytes of the row left: the next step overwrites the last 8
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm512_castsi512_si256(packed));
    } else {
      _mm256_mask_storeu_epi8(d, static_cast<__mmask32>(ByteMask(12 * n / 8)),
                              _mm512_castsi512_si256(packed));
    }
  }
}

void RgbToYvu9BandAvx512(const uint8_t* src, ptrdiff_t srcStride, uint8_t* luma,
                         ptrdiff_t lumaStride, uint8_t* vRow, uint8_t* uRow, int32_t blocks,
                         RgbPositions at) {
  const bool rgb = at.r == 0;
  const __m512i fifth = _mm512_set1_epi32(Weights(13108, 0));
  const ptrdiff_t rowBytes = 12 * ptrdiff_t{blocks};
  for (int32_t c = 0; c < blocks; c += 4) {  // up to four 4 x 4 blocks a step, one a lane
    const int32_t n = blocks - c < 4 ? 4 * (blocks - c) : 16;
    __m512i uv = _mm512_setzero_si512();  // per lane: the block's U, V, U, V samples
    for (int k = 0; k < 4; ++k) {
      const Samples p =
          Encode16(src + k * srcStride + 12 * ptrdiff_t{c}, n, rowBytes - 12 * ptrdiff_t{c}, rgb);
      uint8_t* y = luma + k * lumaStride + 4 * ptrdiff_t{c};
      if (n == 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y), _mm512_cvtepi32_epi8(p.y));
      } else {
        _mm_mask_storeu_epi8(y, static_cast<__mmask16>(ByteMask(n)), _mm512_cvtepi32_epi8(p.y));
      }
      const __m512i sums = _mm512_mask_blend_epi32(0xAAAA, QuadSums(p.u), QuadSums(p.v));
      // The first row gives the mean, every later row is folded in with the running
      // sample as a fifth pixel: (sample + sum) / 5.
      uv = k == 0 ? _mm512_srli_epi32(sums, 2)
                  : _mm512_srli_epi32(_mm512_madd_epi16(_mm512_add_epi32(uv, sums), fifth), 16);
    }
    // Bytes U0 V0 U0 V0 U1 V1 ... to U0 U1 U2 U3 V0 V1 V2 V3.
    const __m128i samples =
        _mm_shuffle_epi8(_mm512_cvtepi32_epi8(uv),
                         _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, kZ, kZ, kZ, kZ, kZ, kZ, kZ, kZ));
    const __mmask16 count = static_cast<__mmask16>(ByteMask(n / 4));
    _mm_mask_storeu_epi8(uRow + c, count, samples);
    _mm_mask_storeu_epi8(vRow + c, count, _mm_srli_si128(samples, 4));
  }
}

}  // namespace qclr
#endif
