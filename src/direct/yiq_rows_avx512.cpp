// YIQ rows, 16 pixels a step in 512-bit vectors: the encoder, the floating-point
// decoder and the packed decoder.
//
// Memory: whole 64-byte loads while the row has 64 bytes from the step's first
// pixel, masked ones nearer the end; avx512::StoreRow3 writes exactly the row's
// bytes. The packed decoder leaves the width mod 8 pixels to
// the floating-point row, as its definition does. Nothing outside the row is read
// or written.
//
// The encoder (doubles): with r = R / 255 and so on, each channel's exact value is
// n / d:
//   Y  n = 299 R + 587 G + 114 B                    d = 1000
//   I  n = 596 R - 275 G - 321 B + 596 x 255        d = 1192 (x 1 / 1.192)
//   Q  n = 212 R - 523 G + 311 B + 523 x 255        d = 1046 (x 1 / 1.046)
// and the double result is within 1e-12 of it, so where n / d is no integer it
// truncates like n / d (n >= 0 here). FloorQuotients gives Y and I exactly,
// TruncatedQuotient Q where it is not near an integer (simd_avx512.h); a step with
// a multiple (every grey's Y, white's I) or a near one is computed from the
// definition in packed doubles, the scalar operations in their order.
//
// The floating-point decoder: with y = Y / 255, i = 1.192 I / 255 - 0.596,
// q = 1.046 Q / 255 - 0.523, the value (y + 0.956 i + 0.621 q) x 255 is exactly
// Y + M / 10^6 with
//   R  M = 1139552 I + 649566 Q - 228112545
//   G  M = -324224 I - 676762 Q + 127625715
//   B  M = -1318352 I + 1781338 Q - 59030715
// (0.956 x 1.192 = 1.139552, 0.956 x 0.596 x 255 = 145.29288, and so on). Every
// coefficient is even and every constant odd, so M is never a multiple of 10^6: the
// value is never an integer and lies at least 10^-6 from one, far beyond the
// double's error, and the definition's |v|, capped at 255 and truncated, is
// min(floor(|v|), 255). With f = Y + floor(M / 10^6) (exact: an estimate in single
// precision corrected by the remainder M - 10^6 f), floor(|v|) is f where f >= 0 and
// -f - 1 (= ~f) where f < 0.
//
// The packed decoder is integer lane arithmetic (yiq_kernels.h); here in 32-bit
// lanes, where 146 I + 83 Q and 42 I + 87 Q (below 2^16) equal their 16-bit lanes,
// and 169 I - 228 Q is wrapped to a signed 16-bit value before its shift.
#include "direct/yiq_kernels.h"

#if QCLR_X86_SIMD
#include <array>

#include "base/rgb_positions.h"
#include "direct/simd_avx512.h"

namespace qclr {
namespace {

using avx512::kZ;
using avx512::Weights;

using Mask16 = std::array<uint8_t, 16>;

// From a lane's 4 three-byte pixels to 32-bit lanes of two 16-bit values, bytes
// `first` and `second` of each pixel (-1: zero).
constexpr Mask16 PairMask(int first, int second) {
  Mask16 m{};
  for (int i = 0; i < 4; ++i) {
    m[4 * i] = static_cast<uint8_t>(3 * i + first);
    m[4 * i + 1] = kZ;
    m[4 * i + 2] = second < 0 ? kZ : static_cast<uint8_t>(3 * i + second);
    m[4 * i + 3] = kZ;
  }
  return m;
}

__m512i Shuffle(__m512i bytes, const Mask16& m) {
  return _mm512_shuffle_epi8(
      bytes, _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m.data()))));
}

__m512i Madd(__m512i pairs, int lo, int hi) {
  return _mm512_madd_epi16(pairs, _mm512_set1_epi32(Weights(lo, hi)));
}

// Three 32-bit lanes a pixel, each saturated to 0..255, into bytes 0..11 of each
// 128-bit lane in the order a, b, c.
__m512i Interleave(__m512i a, __m512i b, __m512i c) {
  const __m512i bytes = _mm512_packus_epi16(_mm512_packs_epi32(a, b), _mm512_packs_epi32(c, c));
  return _mm512_shuffle_epi8(bytes, _mm512_broadcast_i32x4(_mm_setr_epi8(
                                        0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ)));
}

// Converts a row, step(s, n, left) giving the lanes of the n <= 16 pixels at s
// (`left` bytes of the row from s).
template <typename Step>
void Rows(const uint8_t* s, uint8_t* d, int32_t width, Step&& step) {
  avx512::StoreRow3(d, width, 1, [&](int32_t x, int32_t n) {
    return step(s + 3 * ptrdiff_t{x}, n, 3 * ptrdiff_t{width - x});
  });
}

// One channel of the floating-point decoder: min(floor(|Y + M / 10^6|), 255)
// before the saturating pack, for M = wi I + wq Q + constant.
__m512i FoldedChannel(__m512i y, __m512i i, __m512i q, int32_t wi, int32_t wq, int32_t constant) {
  const __m512i m = _mm512_add_epi32(_mm512_add_epi32(_mm512_mullo_epi32(i, _mm512_set1_epi32(wi)),
                                                      _mm512_mullo_epi32(q, _mm512_set1_epi32(wq))),
                                     _mm512_set1_epi32(constant));
  const __m512i million = _mm512_set1_epi32(1000000);
  // floor of the estimate: within 1 of floor(M / 10^6), which the remainder corrects.
  __m512i f = _mm512_cvt_roundps_epi32(_mm512_mul_ps(_mm512_cvtepi32_ps(m), _mm512_set1_ps(1e-6f)),
                                       _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
  const __m512i r = _mm512_sub_epi32(m, _mm512_mullo_epi32(f, million));
  f = _mm512_mask_sub_epi32(f, _mm512_cmplt_epi32_mask(r, _mm512_setzero_si512()), f,
                            _mm512_set1_epi32(1));
  f = _mm512_mask_add_epi32(f, _mm512_cmpge_epi32_mask(r, million), f, _mm512_set1_epi32(1));
  f = _mm512_add_epi32(f, y);
  return _mm512_xor_si512(f, _mm512_srai_epi32(f, 31));
}

}  // namespace

void RgbToYiqRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const bool rgb = rgbOrder != 0;
  const Mask16 rgMask = rgb ? PairMask(0, 1) : PairMask(2, 1),
               bMask = rgb ? PairMask(2, -1) : PairMask(0, -1);
  const __m512i order =
      _mm512_broadcast_i32x4(_mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ));
  Rows(s, d, width, [&](const uint8_t* p, int32_t n, ptrdiff_t left) {
    const __m512i bytes = avx512::LoadPixelLanes3(p, n, left);
    const __m512i rg = Shuffle(bytes, rgMask), b = Shuffle(bytes, bMask);
    const __m512i ny = _mm512_add_epi32(Madd(rg, 299, 587), Madd(b, 114, 0));
    const __m512i ni = _mm512_add_epi32(_mm512_add_epi32(Madd(rg, 596, -275), Madd(b, -321, 0)),
                                        _mm512_set1_epi32(596 * 255));
    const __m512i nq = _mm512_add_epi32(_mm512_add_epi32(Madd(rg, 212, -523), Madd(b, 311, 0)),
                                        _mm512_set1_epi32(523 * 255));
    __m512i yi, q;  // 16-bit lanes Y0..3 I0..3 of each 128-bit lane; Q in 32-bit lanes
    if (avx512::FloorQuotients(ny, avx512::kBy1000, ni, avx512::kBy1192, &yi) |
        avx512::TruncatedQuotient(nq, 1.0f / 1046, &q)) {
      const __m512i low = _mm512_set1_epi32(0xFFFF);
      const avx512::Doubles16 r = avx512::ToDoubles(_mm512_and_si512(rg, low)) / 255;
      const avx512::Doubles16 g = avx512::ToDoubles(_mm512_srli_epi32(rg, 16)) / 255;
      const avx512::Doubles16 bl = avx512::ToDoubles(b) / 255;
      const __m512i y = avx512::Truncate((0.299 * r + 0.587 * g + 0.114 * bl) * 255);
      const __m512i i =
          avx512::Truncate((0.596 * r - 0.275 * g - 0.321 * bl + 0.596) * 0.8389261744966443 * 255);
      q = avx512::Truncate((0.212 * r - 0.523 * g + 0.311 * bl + 0.523) * 0.9560229445506692 * 255);
      yi = _mm512_packus_epi32(y, i);
    }
    const __m512i qq = _mm512_packus_epi32(q, q);
    return _mm512_shuffle_epi8(_mm512_packus_epi16(yi, qq), order);
  });
}

void YiqToRgbRowAvx512(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const bool rgb = rgbOrder != 0;
  const Mask16 yMask = PairMask(0, -1), iMask = PairMask(1, -1), qMask = PairMask(2, -1);
  Rows(s, d, width, [&](const uint8_t* p, int32_t n, ptrdiff_t left) {
    const __m512i bytes = avx512::LoadPixelLanes3(p, n, left);
    const __m512i y = Shuffle(bytes, yMask), i = Shuffle(bytes, iMask), q = Shuffle(bytes, qMask);
    const __m512i r = FoldedChannel(y, i, q, 1139552, 649566, -228112545);
    const __m512i g = FoldedChannel(y, i, q, -324224, -676762, 127625715);
    const __m512i b = FoldedChannel(y, i, q, -1318352, 1781338, -59030715);
    return rgb ? Interleave(r, g, b) : Interleave(b, g, r);
  });
}

void YiqToRgbRowPackedAvx512(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  using W = YiqPackedWeights;
  const bool rgb = rgbOrder != 0;
  const Mask16 yMask = PairMask(0, -1), iqMask = PairMask(1, 2);
  const int32_t grouped = width / 8 * 8;
  Rows(s, d, grouped, [&](const uint8_t* p, int32_t n, ptrdiff_t left) {
    const __m512i bytes = avx512::LoadPixelLanes3(p, n, left);
    const __m512i y = Shuffle(bytes, yMask), iq = Shuffle(bytes, iqMask);
    const __m512i red =
        _mm512_sub_epi32(_mm512_add_epi32(y, _mm512_srli_epi32(Madd(iq, W::kRedI, W::kRedQ), 7)),
                         _mm512_set1_epi32(W::kRedOffset));
    const __m512i green = _mm512_sub_epi32(_mm512_add_epi32(y, _mm512_set1_epi32(W::kGreenOffset)),
                                           _mm512_srli_epi32(Madd(iq, W::kGreenI, W::kGreenQ), 7));
    // The 16-bit wrap of 169 I - 228 Q, then its arithmetic shift by 7.
    const __m512i diff =
        _mm512_srai_epi32(_mm512_slli_epi32(Madd(iq, W::kBlueI, -W::kBlueQ), 16), 16 + 7);
    const __m512i blue =
        _mm512_sub_epi32(_mm512_sub_epi32(y, diff), _mm512_set1_epi32(W::kBlueOffset));
    const __m512i r = _mm512_abs_epi32(red), g = _mm512_abs_epi32(green),
                  b = _mm512_abs_epi32(blue);
    return rgb ? Interleave(r, g, b) : Interleave(b, g, r);
  });
  YiqToRgbRow(s + 3 * ptrdiff_t{grouped}, d + 3 * ptrdiff_t{grouped}, width - grouped, rgbOrder);
}

}  // namespace qclr
#endif
