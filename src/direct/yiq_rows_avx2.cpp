// YIQ rows, 8 pixels a step in 256-bit vectors: the encoder, the floating-point
// decoder and the packed decoder.
//
// Memory: a step reads exactly its 24 source bytes and writes its 24 destination
// bytes (32 while the row has them, the next step overwriting the last 8); the
// width mod 8 pixels at the end go through the portable floating-point rows. Nothing
// outside the row is read or written.
//
// Arithmetic: the integer forms of yiq_rows_avx512.cpp, which explains why they
// give the definitions' bytes.
#include "direct/yiq_kernels.h"

#if QCLR_X86_SIMD
#include <array>

#include "base/rgb_positions.h"
#include "direct/simd_avx2.h"

namespace qclr {
namespace {

using avx2::kZ;
using avx2::Weights;

using Mask32 = std::array<uint8_t, 32>;

// From 8 three-byte pixels (avx2::LoadPixelLanes3) to 32-bit lanes of two 16-bit
// values, bytes `first` and `second` of each pixel (-1: zero).
constexpr Mask32 PairMask(int first, int second) {
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

__m256i Shuffle(__m256i bytes, const Mask32& m) {
  return _mm256_shuffle_epi8(bytes, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m.data())));
}

__m256i Madd(__m256i pairs, int lo, int hi) {
  return _mm256_madd_epi16(pairs, _mm256_set1_epi32(Weights(lo, hi)));
}

__m256i Interleave(__m256i a, __m256i b, __m256i c) {
  const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(a, b), _mm256_packs_epi32(c, c));
  return _mm256_shuffle_epi8(
      bytes, _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ, 0, 4, 8, 1, 5,
                              9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ));
}

// Runs `step(s, d, left)` over the whole steps of `width` pixels; returns the
// pixels done.
template <typename Step>
int32_t Rows(const uint8_t* s, uint8_t* d, int32_t width, Step&& step) {
  int32_t x = 0;
  for (; width - x >= 8; x += 8, s += 24, d += 24) step(s, d, 3 * ptrdiff_t{width - x});
  return x;
}

__m256i FoldedChannel(__m256i y, __m256i i, __m256i q, int32_t wi, int32_t wq, int32_t constant) {
  const __m256i m = _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(i, _mm256_set1_epi32(wi)),
                                                      _mm256_mullo_epi32(q, _mm256_set1_epi32(wq))),
                                     _mm256_set1_epi32(constant));
  const __m256i million = _mm256_set1_epi32(1000000), one = _mm256_set1_epi32(1);
  __m256i f = _mm256_cvttps_epi32(
      _mm256_floor_ps(_mm256_mul_ps(_mm256_cvtepi32_ps(m), _mm256_set1_ps(1e-6f))));
  const __m256i r = _mm256_sub_epi32(m, _mm256_mullo_epi32(f, million));
  f = _mm256_add_epi32(f, _mm256_cmpgt_epi32(_mm256_setzero_si256(), r));  // r < 0: f - 1
  f = _mm256_sub_epi32(f,
                       _mm256_cmpgt_epi32(r, _mm256_sub_epi32(million, one)));  // r >= 10^6: f + 1
  f = _mm256_add_epi32(f, y);
  return _mm256_xor_si256(f, _mm256_srai_epi32(f, 31));
}

}  // namespace

void RgbToYiqRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const bool rgb = rgbOrder != 0;
  const Mask32 rgMask = rgb ? PairMask(0, 1) : PairMask(2, 1),
               bMask = rgb ? PairMask(2, -1) : PairMask(0, -1);
  const __m256i order = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ, 0, 4,
                                         8, 1, 5, 9, 2, 6, 10, 3, 7, 11, kZ, kZ, kZ, kZ);
  const int32_t done = Rows(s, d, width, [&](const uint8_t* p, uint8_t* out, ptrdiff_t left) {
    const __m256i bytes = avx2::LoadPixelLanes3(p);
    const __m256i rg = Shuffle(bytes, rgMask), b = Shuffle(bytes, bMask);
    const __m256i ny = _mm256_add_epi32(Madd(rg, 299, 587), Madd(b, 114, 0));
    const __m256i ni = _mm256_add_epi32(_mm256_add_epi32(Madd(rg, 596, -275), Madd(b, -321, 0)),
                                        _mm256_set1_epi32(596 * 255));
    const __m256i nq = _mm256_add_epi32(_mm256_add_epi32(Madd(rg, 212, -523), Madd(b, 311, 0)),
                                        _mm256_set1_epi32(523 * 255));
    __m256i yi, q;
    if (avx2::FloorQuotients(ny, avx2::kBy1000, ni, avx2::kBy1192, &yi) |
        avx2::TruncatedQuotient(nq, 1.0f / 1046, &q)) {
      const __m256i low = _mm256_set1_epi32(0xFFFF);
      const avx2::Doubles8 r = avx2::ToDoubles(_mm256_and_si256(rg, low)) / 255;
      const avx2::Doubles8 g = avx2::ToDoubles(_mm256_srli_epi32(rg, 16)) / 255;
      const avx2::Doubles8 bl = avx2::ToDoubles(b) / 255;
      const __m256i y = avx2::Truncate((0.299 * r + 0.587 * g + 0.114 * bl) * 255);
      const __m256i i =
          avx2::Truncate((0.596 * r - 0.275 * g - 0.321 * bl + 0.596) * 0.8389261744966443 * 255);
      q = avx2::Truncate((0.212 * r - 0.523 * g + 0.311 * bl + 0.523) * 0.9560229445506692 * 255);
      yi = _mm256_packus_epi32(y, i);
    }
    const __m256i qq = _mm256_packus_epi32(q, q);
    avx2::StorePixelLanes3(out, _mm256_shuffle_epi8(_mm256_packus_epi16(yi, qq), order), left);
  });
  RgbToYiqRow(s + 3 * ptrdiff_t{done}, d + 3 * ptrdiff_t{done}, width - done, rgbOrder);
}

void YiqToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const bool rgb = rgbOrder != 0;
  const Mask32 yMask = PairMask(0, -1), iMask = PairMask(1, -1), qMask = PairMask(2, -1);
  const int32_t done = Rows(s, d, width, [&](const uint8_t* p, uint8_t* out, ptrdiff_t left) {
    const __m256i bytes = avx2::LoadPixelLanes3(p);
    const __m256i y = Shuffle(bytes, yMask), i = Shuffle(bytes, iMask), q = Shuffle(bytes, qMask);
    const __m256i r = FoldedChannel(y, i, q, 1139552, 649566, -228112545);
    const __m256i g = FoldedChannel(y, i, q, -324224, -676762, 127625715);
    const __m256i b = FoldedChannel(y, i, q, -1318352, 1781338, -59030715);
    avx2::StorePixelLanes3(out, rgb ? Interleave(r, g, b) : Interleave(b, g, r), left);
  });
  YiqToRgbRow(s + 3 * ptrdiff_t{done}, d + 3 * ptrdiff_t{done}, width - done, rgbOrder);
}

void YiqToRgbRowPackedAvx2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  using W = YiqPackedWeights;
  const bool rgb = rgbOrder != 0;
  const Mask32 yMask = PairMask(0, -1), iqMask = PairMask(1, 2);
  const int32_t done = Rows(s, d, width, [&](const uint8_t* p, uint8_t* out, ptrdiff_t left) {
    const __m256i bytes = avx2::LoadPixelLanes3(p);
    const __m256i y = Shuffle(bytes, yMask), iq = Shuffle(bytes, iqMask);
    const __m256i red =
        _mm256_sub_epi32(_mm256_add_epi32(y, _mm256_srli_epi32(Madd(iq, W::kRedI, W::kRedQ), 7)),
                         _mm256_set1_epi32(W::kRedOffset));
    const __m256i green = _mm256_sub_epi32(_mm256_add_epi32(y, _mm256_set1_epi32(W::kGreenOffset)),
                                           _mm256_srli_epi32(Madd(iq, W::kGreenI, W::kGreenQ), 7));
    const __m256i diff =
        _mm256_srai_epi32(_mm256_slli_epi32(Madd(iq, W::kBlueI, -W::kBlueQ), 16), 16 + 7);
    const __m256i blue =
        _mm256_sub_epi32(_mm256_sub_epi32(y, diff), _mm256_set1_epi32(W::kBlueOffset));
    const __m256i r = _mm256_abs_epi32(red), g = _mm256_abs_epi32(green),
                  b = _mm256_abs_epi32(blue);
    avx2::StorePixelLanes3(out, rgb ? Interleave(r, g, b) : Interleave(b, g, r), left);
  });
  YiqToRgbRow(s + 3 * ptrdiff_t{done}, d + 3 * ptrdiff_t{done}, width - done, rgbOrder);
}

}  // namespace qclr
#endif
