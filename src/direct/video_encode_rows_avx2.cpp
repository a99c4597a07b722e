// Subsampled video encoders (RGB to YUY2, UYVY, Y41P, YVU9), 8 pixels a step in
// 256-bit vectors.
//
// Memory: a step reads exactly the 24 source bytes of its 8 pixels and writes
// exactly its destination bytes (16 of YUY2 or UYVY, 12 of Y41P, 8 luminance bytes
// and 2 + 2 chroma samples of YVU9). The pixels after the last whole step go
// through the portable row. Nothing outside the row is read or written.
//
// Arithmetic, exactly the definition in integers: the encoder (video_pixel.h)
// weighs R' = R - 0.5, G' = G - 0.5, B' = B - 0.5 in doubles, and
//   sY = 263 R' + 516 G' + 100 B' = 263 R + 516 G + 100 B - 439.5,
//   sU = 450 B' - 298 G' - 152 R' = 450 B - 298 G - 152 R (the halves cancel),
//   sV = 450 R' - 377 G' - 73 B' = 450 R - 377 G - 73 B,
// all exact in double (multiples of 0.5 below 2^18). sU and sV are integers, so
// U = 128 + (sU >> 10) and V = 128 + (sV >> 10). With n = 263 R + 516 G + 100 B,
// trunc(n - 439.5) is n - 440 for n >= 440 and n - 439 for n <= 439; shifted right
// by 10 both give the same as (n - 440) >> 10 except at n = 439, which no byte
// triple reaches (263 R + 516 G + 100 B = 439 has no solution in bytes; the
// exhaustive check confirms). So Y = (n - 440 + 16 * 1024) >> 10. Y stays within
// 15..234 and U, V within 16..240, so the stored low bytes are the values; the
// chroma means are of those bytes (sums halved or quartered by shifts, the YVU9
// fold divided by 5 as (x * 13108) >> 16, exact for x < 16384).
#include "direct/video_rows.h"

#if QCLR_X86_SIMD
#include <array>
#include <cstring>

#include "direct/simd_avx2.h"

namespace qclr {
namespace {

using avx2::kZ;
using avx2::Weights;

// The byte shuffles that turn the low lane (source bytes 0..15, pixels 0..3) and
// the high lane (bytes 8..23, pixels 4..7) into 32-bit lanes (R, G) and (B, 0) of
// 16-bit values.
using Mask32 = std::array<uint8_t, 32>;
constexpr Mask32 RgbMask(int first, int second) {  // byte offsets within a pixel
  Mask32 m{};
  for (int i = 0; i < 8; ++i) {
    const int at = i < 4 ? 3 * i : 3 * i - 8;
    m[4 * i] = static_cast<uint8_t>(at + first);
    m[4 * i + 1] = kZ;
    m[4 * i + 2] = second < 0 ? kZ : static_cast<uint8_t>(at + second);
    m[4 * i + 3] = kZ;
  }
  return m;
}
constexpr Mask32 kRgFromRgb = RgbMask(0, 1), kBFromRgb = RgbMask(2, -1);
constexpr Mask32 kRgFromBgr = RgbMask(2, 1), kBFromBgr = RgbMask(0, -1);

__m256i Load(const Mask32& m) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m.data()));
}

// Y, U and V of 8 pixels, one a 32-bit lane (pixels 0..3 in the low 128-bit lane).
struct Samples {
  __m256i y, u, v;
};

Samples Encode8(const uint8_t* s, bool rgb) {
  const __m256i bytes = avx2::LoadPixelLanes3(s);
  const __m256i rg = _mm256_shuffle_epi8(bytes, Load(rgb ? kRgFromRgb : kRgFromBgr));
  const __m256i b = _mm256_shuffle_epi8(bytes, Load(rgb ? kBFromRgb : kBFromBgr));
  const auto sum = [&](int wr, int wg, int wb, int32_t offset) {
    return _mm256_srai_epi32(
        _mm256_add_epi32(_mm256_add_epi32(_mm256_madd_epi16(rg, _mm256_set1_epi32(Weights(wr, wg))),
                                          _mm256_madd_epi16(b, _mm256_set1_epi32(Weights(wb, 0)))),
                         _mm256_set1_epi32(offset)),
        10);
  };
  return {sum(263, 516, 100, 16 * 1024 - 440), sum(-152, -298, 450, 128 * 1024),
          sum(450, -377, -73, 128 * 1024)};
}

// 4:2:2: bytes of a pair in the order the layout stores them, as indexes into a
// lane's y0 y1 y2 y3 u01 u23 v01 v23.
template <int kY0, int kU, int kY1, int kV>
void PairRow(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at, VideoRow tail) {
  const bool rgb = at.r == 0;
  std::array<uint8_t, 16> order{};
  for (int p = 0; p < 2; ++p) {
    order[4 * p + kY0] = static_cast<uint8_t>(2 * p);
    order[4 * p + kY1] = static_cast<uint8_t>(2 * p + 1);
    order[4 * p + kU] = static_cast<uint8_t>(4 + p);
    order[4 * p + kV] = static_cast<uint8_t>(6 + p);
  }
  for (int i = 8; i < 16; ++i) order[i] = kZ;
  const __m256i shuffle =
      _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(order.data())));
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 24, d += 16) {
    const Samples p = Encode8(s, rgb);
    // Per lane: u0+u1, u2+u3, v0+v1, v2+v3, halved.
    const __m256i chroma = _mm256_srli_epi32(_mm256_hadd_epi32(p.u, p.v), 1);
    const __m256i bytes =
        _mm256_packus_epi16(_mm256_packs_epi32(p.y, chroma), _mm256_setzero_si256());
    const __m256i pairs = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(bytes, shuffle), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(pairs));
  }
  tail(s, d, width - x, at);
}

}  // namespace

void RgbToYuy2RowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  PairRow<0, 1, 2, 3>(s, d, width, at, RgbToYuy2RowPortable);
}

void RgbToUyvyRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  PairRow<1, 0, 3, 2>(s, d, width, at, RgbToUyvyRowPortable);
}

void RgbToY41pRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const bool rgb = at.r == 0;
  // From y0..y3 U0 V0 U0 V0 y4..y7 U4 V4 U4 V4 to U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4..Y7.
  const __m256i order =
      _mm256_setr_epi8(4, 0, 5, 1, 12, 2, 13, 3, 8, 9, 10, 11, kZ, kZ, kZ, kZ, kZ, kZ, kZ, kZ, kZ,
                       kZ, kZ, kZ, kZ, kZ, kZ, kZ, kZ, kZ, kZ, kZ);
  for (int32_t x = 0; x < width; x += 8, s += 24, d += 12) {
    const Samples p = Encode8(s, rgb);
    const __m256i pairs = _mm256_hadd_epi32(p.u, p.v);  // u01 u23 v01 v23 per lane
    const __m256i chroma = _mm256_srli_epi32(_mm256_hadd_epi32(pairs, pairs), 2);  // U V U V
    const __m256i bytes =
        _mm256_packus_epi16(_mm256_packs_epi32(p.y, chroma), _mm256_setzero_si256());
    const __m256i group = _mm256_shuffle_epi8(
        _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 1, 4, 5, 0, 0, 0, 0)), order);
    const __m128i out = _mm256_castsi256_si128(group);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(d), out);
    const int32_t last = _mm_extract_epi32(out, 2);
    std::memcpy(d + 8, &last, 4);
  }
}

void RgbToYvu9BandAvx2(const uint8_t* src, ptrdiff_t srcStride, uint8_t* luma, ptrdiff_t lumaStride,
                       uint8_t* vRow, uint8_t* uRow, int32_t blocks, RgbPositions at) {
  const bool rgb = at.r == 0;
  const __m256i fifth = _mm256_set1_epi32(Weights(13108, 0));
  int32_t c = 0;
  for (; blocks - c >= 2; c += 2) {       // two 4 x 4 blocks a step, one a 128-bit lane
    __m256i uv = _mm256_setzero_si256();  // per lane: the block's U, V, U, V samples
    for (int k = 0; k < 4; ++k) {
      const Samples p = Encode8(src + k * srcStride + 12 * ptrdiff_t{c}, rgb);
      const __m128i y = _mm256_castsi256_si128(
          _mm256_permutevar8x32_epi32(_mm256_packus_epi16(_mm256_packs_epi32(p.y, p.y), p.y),
                                      _mm256_setr_epi32(0, 4, 0, 0, 0, 0, 0, 0)));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(luma + k * lumaStride + 4 * ptrdiff_t{c}), y);
      const __m256i pairs = _mm256_hadd_epi32(p.u, p.v);
      const __m256i sums = _mm256_hadd_epi32(pairs, pairs);  // U V U V sums of the block row
      // The first row gives the mean, every later row is folded in with the running
      // sample as a fifth pixel: (sample + sum) / 5.
      uv = k == 0 ? _mm256_srli_epi32(sums, 2)
                  : _mm256_srli_epi32(_mm256_madd_epi16(_mm256_add_epi32(uv, sums), fifth), 16);
    }
    uRow[c] = static_cast<uint8_t>(_mm256_extract_epi32(uv, 0));
    vRow[c] = static_cast<uint8_t>(_mm256_extract_epi32(uv, 1));
    uRow[c + 1] = static_cast<uint8_t>(_mm256_extract_epi32(uv, 4));
    vRow[c + 1] = static_cast<uint8_t>(_mm256_extract_epi32(uv, 5));
  }
  RgbToYvu9BandPortable(src + 12 * ptrdiff_t{c}, srcStride, luma + 4 * ptrdiff_t{c}, lumaStride,
                        vRow + c, uRow + c, blocks - c, at);
}

}  // namespace qclr
#endif
