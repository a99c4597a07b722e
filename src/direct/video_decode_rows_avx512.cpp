// Video decoders (YUV, YUY2, UYVY, Y41P, YVU9 to RGB), 16 pixels a step in 512-bit
// vectors.
//
// Memory: a step reads whole 64-byte vectors while the row has that many bytes
// left from the step's first pixel, and masked loads of its own bytes nearer the
// end; avx512::StoreRow3 writes exactly the row's bytes. Nothing outside the row
// is read or written.
//
// Arithmetic: as in video_decode_rows_avx2.cpp (the decoder formula in 32-bit
// lanes, the clamp by saturating packs), one pixel a 32-bit lane.
#include "direct/video_rows.h"

#if QCLR_X86_SIMD
#include <array>
#include <cstring>

#include "direct/simd_avx512.h"

namespace qclr {
namespace {

using avx512::ByteMask;
using avx512::kZ;
using avx512::LoadBytes;
using avx512::Weights;

// Pixel i's 32-bit lane (Y, chroma) as two 16-bit values from bytes y[i] and c[i]
// of its 128-bit lane (pixels 4k..4k+3 in lane k).
using Mask64 = std::array<uint8_t, 64>;
constexpr Mask64 PairMask(const std::array<int, 16>& y, const std::array<int, 16>& c) {
  Mask64 m{};
  for (int i = 0; i < 16; ++i) {
    m[4 * i] = static_cast<uint8_t>(y[i]);
    m[4 * i + 1] = kZ;
    m[4 * i + 2] = static_cast<uint8_t>(c[i]);
    m[4 * i + 3] = kZ;
  }
  return m;
}

__m512i Load(const Mask64& m) { return _mm512_loadu_si512(m.data()); }

struct LaneMasks {
  Mask64 yu;
  Mask64 yv;
};

// Lane k holds the source bytes of pixels 4k..4k+3 from its byte 0, in the
// layout's own order (YUY2, UYVY, YUV).
constexpr LaneMasks kYuy2Masks = {PairMask({0, 2, 4, 6, 0, 2, 4, 6, 0, 2, 4, 6, 0, 2, 4, 6},
                                           {1, 1, 5, 5, 1, 1, 5, 5, 1, 1, 5, 5, 1, 1, 5, 5}),
                                  PairMask({0, 2, 4, 6, 0, 2, 4, 6, 0, 2, 4, 6, 0, 2, 4, 6},
                                           {3, 3, 7, 7, 3, 3, 7, 7, 3, 3, 7, 7, 3, 3, 7, 7})};
constexpr LaneMasks kUyvyMasks = {PairMask({1, 3, 5, 7, 1, 3, 5, 7, 1, 3, 5, 7, 1, 3, 5, 7},
                                           {0, 0, 4, 4, 0, 0, 4, 4, 0, 0, 4, 4, 0, 0, 4, 4}),
                                  PairMask({1, 3, 5, 7, 1, 3, 5, 7, 1, 3, 5, 7, 1, 3, 5, 7},
                                           {2, 2, 6, 6, 2, 2, 6, 6, 2, 2, 6, 6, 2, 2, 6, 6})};
constexpr LaneMasks kYuvMasks = {PairMask({0, 3, 6, 9, 0, 3, 6, 9, 0, 3, 6, 9, 0, 3, 6, 9},
                                          {1, 4, 7, 10, 1, 4, 7, 10, 1, 4, 7, 10, 1, 4, 7, 10}),
                                 PairMask({0, 3, 6, 9, 0, 3, 6, 9, 0, 3, 6, 9, 0, 3, 6, 9},
                                          {2, 5, 8, 11, 2, 5, 8, 11, 2, 5, 8, 11, 2, 5, 8, 11})};
// Lanes 0 and 1 hold the first Y41P group, lanes 2 and 3 the second.
constexpr LaneMasks kY41pMasks = {PairMask({1, 3, 5, 7, 8, 9, 10, 11, 1, 3, 5, 7, 8, 9, 10, 11},
                                           {0, 0, 0, 0, 4, 4, 4, 4, 0, 0, 0, 0, 4, 4, 4, 4}),
                                  PairMask({1, 3, 5, 7, 8, 9, 10, 11, 1, 3, 5, 7, 8, 9, 10, 11},
                                           {2, 2, 2, 2, 6, 6, 6, 6, 2, 2, 2, 2, 6, 6, 6, 6})};
// Lane k holds Y4k..Y4k+3, U0..U3, V0..V3 of YVU9.
constexpr LaneMasks kYvu9Masks = {
    PairMask({0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3},
             {4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7}),
    PairMask({0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3},
             {8, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11})};

struct YuvLanes {
  __m512i yu;
  __m512i yv;
};

YuvLanes Split(__m512i bytes, const LaneMasks& m) {
  return {_mm512_shuffle_epi8(bytes, Load(m.yu)), _mm512_shuffle_epi8(bytes, Load(m.yv))};
}

// 16 pixels into RGB bytes, pixels 4k..4k+3 in bytes 0..11 of 128-bit lane k.
__m512i Decode16(const YuvLanes& in, bool rgb) {
  const __m512i b = _mm512_srai_epi32(
      _mm512_add_epi32(_mm512_madd_epi16(in.yu, _mm512_set1_epi32(Weights(1192, 2066))),
                       _mm512_set1_epi32(-283008)),
      10);
  const __m512i g = _mm512_srai_epi32(
      _mm512_add_epi32(
          _mm512_add_epi32(_mm512_madd_epi16(in.yu, _mm512_set1_epi32(Weights(1192, -400))),
                           _mm512_madd_epi16(in.yv, _mm512_set1_epi32(Weights(0, -833)))),
          _mm512_set1_epi32(139264)),
      10);
  const __m512i r = _mm512_srai_epi32(
      _mm512_add_epi32(_mm512_madd_epi16(in.yv, _mm512_set1_epi32(Weights(1192, 1634))),
                       _mm512_set1_epi32(-227712)),
      10);
  const __m512i first = rgb ? r : b, last = rgb ? b : r;
  const __m512i bytes =
      _mm512_packus_epi16(_mm512_packs_epi32(first, g), _mm512_packs_epi32(last, last));
  const __m512i pixels = _mm512_shuffle_epi8(
      bytes,
      _mm512_broadcast_i32x4(_mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ)));
  return pixels;
}

// Decodes a row of `width` pixels, gather(x, n) giving the lanes of the n <= 16
// pixels from x (a multiple of `group`).
template <typename Gather>
void DecodeSteps(uint8_t* d, int32_t width, int32_t group, bool rgb, Gather&& gather) {
  avx512::StoreRow3(d, width, group,
                    [&](int32_t x, int32_t n) { return Decode16(gather(x, n), rgb); });
}

template <const LaneMasks& kMasks>
void PairRow(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  DecodeSteps(d, width, 2, at.r == 0, [s, width](int32_t x, int32_t n) {
    const __m512i bytes = LoadBytes(s + 2 * x, 2 * n, 2 * ptrdiff_t{width - x});
    return Split(_mm512_permutexvar_epi64(_mm512_setr_epi64(0, 1, 1, 2, 2, 3, 3, 3), bytes),
                 kMasks);
  });
}

}  // namespace

void YuvToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  DecodeSteps(d, width, 1, at.r == 0, [s, width](int32_t x, int32_t n) {
    return Split(avx512::LoadPixelLanes3(s + 3 * x, n, 3 * ptrdiff_t{width - x}), kYuvMasks);
  });
}

void Yuy2ToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  PairRow<kYuy2Masks>(s, d, width, at);
}

void UyvyToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  PairRow<kUyvyMasks>(s, d, width, at);
}

void Y41pToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  DecodeSteps(d, width, 8, at.r == 0, [s, width](int32_t x, int32_t n) {  // n is 8 or 16
    const __m512i bytes = LoadBytes(s + 12 * (x / 8), 12 * n / 8, 12 * ptrdiff_t{width - x} / 8);
    return Split(_mm512_permutexvar_epi32(
                     _mm512_setr_epi32(0, 1, 2, 0, 0, 1, 2, 0, 3, 4, 5, 3, 3, 4, 5, 3), bytes),
                 kY41pMasks);
  });
}

void Yvu9ToRgbRowAvx512(const uint8_t* luma, const uint8_t* vRow, const uint8_t* uRow, uint8_t* d,
                        int32_t width, RgbPositions at) {
  DecodeSteps(d, width, 4, at.r == 0, [=](int32_t x, int32_t n) {  // n a multiple of 4
    __m128i y, uv;
    if (n == 16) {
      int32_t u, v;
      std::memcpy(&u, uRow + x / 4, 4);
      std::memcpy(&v, vRow + x / 4, 4);
      y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + x));
      uv = _mm_setr_epi32(u, v, 0, 0);
    } else {
      const __mmask16 chroma = static_cast<__mmask16>(ByteMask(n / 4));
      y = _mm_maskz_loadu_epi8(static_cast<__mmask16>(ByteMask(n)), luma + x);
      uv = _mm_unpacklo_epi32(_mm_maskz_loadu_epi8(chroma, uRow + x / 4),
                              _mm_maskz_loadu_epi8(chroma, vRow + x / 4));
    }
    const __m512i both = _mm512_inserti32x4(_mm512_castsi128_si512(y), uv, 1);
    return Split(_mm512_permutexvar_epi32(
                     _mm512_setr_epi32(0, 4, 5, 0, 1, 4, 5, 0, 2, 4, 5, 0, 3, 4, 5, 0), both),
                 kYvu9Masks);
  });
}

}  // namespace qclr
#endif
