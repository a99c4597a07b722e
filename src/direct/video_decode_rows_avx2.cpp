// Video decoders (YUV, YUY2, UYVY, Y41P, YVU9 to RGB), 8 pixels a step in 256-bit
// vectors.
//
// Memory: a step reads exactly the source bytes of its 8 pixels and writes their
// 24 destination bytes; while at least 32 bytes of the row are left it stores 32,
// the last 8 of which the next step overwrites. The width mod 8 pixels at the end
// of a row go through the portable row. Nothing outside the row is read or written.
//
// Arithmetic: the decoder formula (video_pixel.h) in 32-bit lanes, exactly:
//   n = 1192 Y + 2066 U - 283008 (B), 1192 Y - 400 U - 833 V + 139264 (G),
//       1192 Y + 1634 V - 227712 (R), |n| < 2^20;
// each a _mm256_madd_epi16 of the 16-bit pairs (Y, U) or (Y, V) plus a constant.
// The definition divides by 1024 truncating toward zero and clamps to 0..255; the
// rows shift right arithmetically, which differs only for negative n, where both
// give a value <= 0 and the clamp makes it 0. The clamp is the saturation of the
// packs to 16 and to 8 bits (the shifted values lie within -277..534).
#include "direct/video_rows.h"

#if QCLR_X86_SIMD
#include <array>
#include <cstring>

#include "direct/simd_avx2.h"

namespace qclr {
namespace {

using avx2::kZ;
using avx2::Weights;

// A byte shuffle that makes pixel i's 32-bit lane (Y, chroma) as two 16-bit values
// from bytes y[i] and c[i] of its 128-bit lane (pixels 0..3 in the low lane, 4..7
// in the high one).
using Mask32 = std::array<uint8_t, 32>;
constexpr Mask32 PairMask(const std::array<int, 8>& y, const std::array<int, 8>& c) {
  Mask32 m{};
  for (int i = 0; i < 8; ++i) {
    m[4 * i] = static_cast<uint8_t>(y[i]);
    m[4 * i + 1] = kZ;
    m[4 * i + 2] = static_cast<uint8_t>(c[i]);
    m[4 * i + 3] = kZ;
  }
  return m;
}

__m256i Load(const Mask32& m) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m.data()));
}

// The source of 8 pixels as (Y, U) and (Y, V) lanes.
struct YuvLanes {
  __m256i yu;
  __m256i yv;
};

// One shuffle pair per layout, applied to a vector whose 128-bit lanes hold the
// bytes the comments give.
struct LaneMasks {
  Mask32 yu;
  Mask32 yv;
};

// YUY2 (Y0 U Y1 V) and UYVY (U Y0 V Y1): both lanes hold the 16 bytes of 8 pixels.
constexpr LaneMasks kYuy2Masks = {
    PairMask({0, 2, 4, 6, 8, 10, 12, 14}, {1, 1, 5, 5, 9, 9, 13, 13}),
    PairMask({0, 2, 4, 6, 8, 10, 12, 14}, {3, 3, 7, 7, 11, 11, 15, 15})};
constexpr LaneMasks kUyvyMasks = {
    PairMask({1, 3, 5, 7, 9, 11, 13, 15}, {0, 0, 4, 4, 8, 8, 12, 12}),
    PairMask({1, 3, 5, 7, 9, 11, 13, 15}, {2, 2, 6, 6, 10, 10, 14, 14})};
// YUV: the low lane holds source bytes 0..15, the high lane bytes 8..23.
constexpr LaneMasks kYuvMasks = {PairMask({0, 3, 6, 9, 4, 7, 10, 13}, {1, 4, 7, 10, 5, 8, 11, 14}),
                                 PairMask({0, 3, 6, 9, 4, 7, 10, 13}, {2, 5, 8, 11, 6, 9, 12, 15})};
// Y41P: both lanes hold the group U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7.
constexpr LaneMasks kY41pMasks = {PairMask({1, 3, 5, 7, 8, 9, 10, 11}, {0, 0, 0, 0, 4, 4, 4, 4}),
                                  PairMask({1, 3, 5, 7, 8, 9, 10, 11}, {2, 2, 2, 2, 6, 6, 6, 6})};
// YVU9: both lanes hold Y0..Y7, U0 U1, V0 V1.
constexpr LaneMasks kYvu9Masks = {
    PairMask({0, 1, 2, 3, 4, 5, 6, 7}, {8, 8, 8, 8, 9, 9, 9, 9}),
    PairMask({0, 1, 2, 3, 4, 5, 6, 7}, {10, 10, 10, 10, 11, 11, 11, 11})};

YuvLanes Split(__m256i bytes, const LaneMasks& m) {
  return {_mm256_shuffle_epi8(bytes, Load(m.yu)), _mm256_shuffle_epi8(bytes, Load(m.yv))};
}

// 8 pixels decoded into RGB bytes, 12 in each 128-bit lane; `rgb` puts R first
// (CSP_RGB), else B (CSP_BGR).
__m256i Decode8(const YuvLanes& in, bool rgb) {
  const __m256i b = _mm256_srai_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(in.yu, _mm256_set1_epi32(Weights(1192, 2066))),
                       _mm256_set1_epi32(-283008)),
      10);
  const __m256i g = _mm256_srai_epi32(
      _mm256_add_epi32(
          _mm256_add_epi32(_mm256_madd_epi16(in.yu, _mm256_set1_epi32(Weights(1192, -400))),
                           _mm256_madd_epi16(in.yv, _mm256_set1_epi32(Weights(0, -833)))),
          _mm256_set1_epi32(139264)),
      10);
  const __m256i r = _mm256_srai_epi32(
      _mm256_add_epi32(_mm256_madd_epi16(in.yv, _mm256_set1_epi32(Weights(1192, 1634))),
                       _mm256_set1_epi32(-227712)),
      10);
  const __m256i first = rgb ? r : b, last = rgb ? b : r;
  // Each 128-bit lane: first0..3 g0..3 last0..3 last0..3 as bytes, then pixel order.
  const __m256i bytes =
      _mm256_packus_epi16(_mm256_packs_epi32(first, g), _mm256_packs_epi32(last, last));
  const __m256i pixels = _mm256_shuffle_epi8(
      bytes, _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ, 0, 4, 8, 1, 5,
                              9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ));
  return pixels;
}

// Runs `gather(x)` (the lanes of pixels x..x+7) over the whole steps of a row and
// returns the pixels done.
template <typename Gather>
int32_t DecodeSteps(uint8_t* d, int32_t width, bool rgb, Gather&& gather) {
  int32_t x = 0;
  for (; width - x >= 8; x += 8, d += 24) {
    avx2::StorePixelLanes3(d, Decode8(gather(x), rgb), 3 * ptrdiff_t{width - x});
  }
  return x;
}

__m256i Broadcast16(const uint8_t* s) {
  return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
}

template <const LaneMasks& kMasks>
void PairRow(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at, VideoRow tail) {
  const int32_t done = DecodeSteps(
      d, width, at.r == 0, [s](int32_t x) { return Split(Broadcast16(s + 2 * x), kMasks); });
  tail(s + 2 * done, d + 3 * done, width - done, at);
}

}  // namespace

void YuvToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  const int32_t done = DecodeSteps(d, width, at.r == 0, [s](int32_t x) {
    return Split(avx2::LoadPixelLanes3(s + 3 * x), kYuvMasks);
  });
  YuvToRgbRowPortable(s + 3 * done, d + 3 * done, width - done, at);
}

void Yuy2ToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  PairRow<kYuy2Masks>(s, d, width, at, Yuy2ToRgbRowPortable);
}

void UyvyToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  PairRow<kUyvyMasks>(s, d, width, at, UyvyToRgbRowPortable);
}

void Y41pToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  DecodeSteps(d, width, at.r == 0, [s](int32_t x) {
    const uint8_t* p = s + 12 * (x / 8);
    int32_t tail;
    std::memcpy(&tail, p + 8, 4);
    const __m128i group =
        _mm_insert_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), tail, 2);
    return Split(_mm256_broadcastsi128_si256(group), kY41pMasks);
  });
}

void Yvu9ToRgbRowAvx2(const uint8_t* luma, const uint8_t* vRow, const uint8_t* uRow, uint8_t* d,
                      int32_t width, RgbPositions at) {
  const int32_t done = DecodeSteps(d, width, at.r == 0, [=](int32_t x) {
    uint16_t u, v;
    std::memcpy(&u, uRow + x / 4, 2);
    std::memcpy(&v, vRow + x / 4, 2);
    __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(luma + x));
    bytes = _mm_insert_epi16(_mm_insert_epi16(bytes, u, 4), v, 5);
    return Split(_mm256_broadcastsi128_si256(bytes), kYvu9Masks);
  });
  Yvu9ToRgbRowPortable(luma + done, vRow + done / 4, uRow + done / 4, d + 3 * done, width - done,
                       at);
}

}  // namespace qclr
#endif
