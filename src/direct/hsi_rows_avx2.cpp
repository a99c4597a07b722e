// HSI rows with AVX2: 8 pixels a step; the encoder in 8 single-precision lanes,
// the decoder in two halves of 4 double lanes, with the operations of the
// portable rows in their order and the tables of hsi_rows.h gathered.
//
// Memory: a step reads its 24 source bytes and then writes its 24 destination
// bytes; the width mod 8 pixels at the end of a row go through the one-pixel
// rows. Nothing outside the row is read or written; the tables are read anywhere.
#include "direct/hsi_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include "direct/pixel_shuffle_x86.h"

// GCC 12 takes the undefined upper lanes that many intrinsics start from (gathers,
// conversions) for uninitialised values.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

namespace qclr::hsi {
namespace {

constexpr double kHueStep = 0.012319971190196078;
constexpr double kPiOver3 = 1.0471975511666667;
constexpr double kTwoPiOver3 = 2.0943951023333334;

// The low byte of each of 8 lanes, in bytes 0..7.
__m128i Narrow(__m256i lanes) {
  const __m128i lowBytes = _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  return _mm_unpacklo_epi32(_mm_shuffle_epi8(_mm256_castsi256_si128(lanes), lowBytes),
                            _mm_shuffle_epi8(_mm256_extracti128_si256(lanes, 1), lowBytes));
}

// The low 16 bits of each lane as a signed number.
__m128i Low16(__m128i v) { return _mm_srai_epi32(_mm_slli_epi32(v, 16), 16); }

// The low 32 bits of each 64-bit lane.
__m128i LowHalves(__m256d mask) {
  return _mm256_castsi256_si128(
      _mm256_permutevar8x32_epi32(_mm256_castpd_si256(mask), _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
}

__m128i Select(__m128i mask, __m128i yes, __m128i no) { return _mm_blendv_epi8(no, yes, mask); }

// Four pixels of the decoder: R, G, B in 32-bit lanes.
void DecodeHalf(const Tables& t, __m128i intensity, __m128i hueByte, __m128i saturation, __m128i rgb[3]) {
  const __m256d i = _mm256_cvtepi32_pd(intensity);
  const __m256d h = _mm256_mul_pd(_mm256_cvtepi32_pd(hueByte), _mm256_set1_pd(kHueStep));
  const __m256d s = _mm256_div_pd(_mm256_cvtepi32_pd(saturation), _mm256_set1_pd(255.0));
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d cosHue = _mm256_i32gather_pd(t.cosHue.data(), hueByte, 8);
  const __m256d cosShift = _mm256_i32gather_pd(t.cosShift.data(), hueByte, 8);
  const __m128i lo = _mm256_cvttpd_epi32(_mm256_mul_pd(i, _mm256_sub_pd(one, s)));
  const __m128i lifted = _mm256_cvttpd_epi32(
      _mm256_mul_pd(i, _mm256_add_pd(one, _mm256_div_pd(_mm256_mul_pd(s, cosHue), cosShift))));
  const __m128i rest = _mm256_cvttpd_epi32(_mm256_sub_pd(
      _mm256_mul_pd(_mm256_set1_pd(3.0), i), _mm256_cvtepi32_pd(_mm_add_epi32(Low16(lifted), Low16(lo)))));
  const __m128i first = LowHalves(_mm256_cmp_pd(h, _mm256_set1_pd(kPiOver3), _CMP_LE_OQ));
  const __m128i second = LowHalves(_mm256_cmp_pd(h, _mm256_set1_pd(kTwoPiOver3), _CMP_LE_OQ));
  const __m128i channels[3] = {Select(first, lifted, Select(second, lo, rest)),
                               Select(first, rest, Select(second, lifted, lo)),
                               Select(first, lo, Select(second, rest, lifted))};
  for (int c = 0; c < 3; ++c) {
    rgb[c] = _mm_max_epi32(_mm_min_epi32(Low16(channels[c]), _mm_set1_epi32(255)), _mm_setzero_si128());
  }
}

}  // namespace

void RgbToHsiRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const Tables& t = GetTables();
  const ChannelMasks redMask = SplitMasks(pos.r), greenMask = SplitMasks(1), blueMask = SplitMasks(pos.b);
  const JoinMasks join;
  const int* hueTable =
      reinterpret_cast<const int*>(t.hue.data());  // 4-byte loads: the table has 3 bytes more
  int32_t x = 0;
  for (; x + 8 <= width; x += 8, s += 24, d += 24) {
    const Pixels8 pixels(s);
    const __m256i r = _mm256_cvtepu8_epi32(pixels.Channel(redMask));
    const __m256i g = _mm256_cvtepu8_epi32(pixels.Channel(greenMask));
    const __m256i b = _mm256_cvtepu8_epi32(pixels.Channel(blueMask));
    const __m256 rf = _mm256_cvtepi32_ps(r), gf = _mm256_cvtepi32_ps(g), bf = _mm256_cvtepi32_ps(b);
    const __m256i intensity = _mm256_cvttps_epi32(
        _mm256_mul_ps(_mm256_add_ps(_mm256_add_ps(rf, gf), bf), _mm256_set1_ps(0.33333334f)));
    const __m256i index =
        _mm256_add_epi32(_mm256_mullo_epi32(_mm256_add_epi32(_mm256_sub_epi32(r, g), _mm256_set1_epi32(255)),
                                            _mm256_set1_epi32(511)),
                         _mm256_add_epi32(_mm256_sub_epi32(r, b), _mm256_set1_epi32(255)));
    const __m256i hue = _mm256_and_si256(_mm256_i32gather_epi32(hueTable, index, 1), _mm256_set1_epi32(255));
    const __m256i mirrored = _mm256_sub_epi32(_mm256_set1_epi32(255), hue);
    const __m256i blueAtLeastGreen = _mm256_or_si256(_mm256_cmpgt_epi32(b, g), _mm256_cmpeq_epi32(b, g));
    const __m256 lowest = _mm256_min_ps(_mm256_min_ps(rf, gf), bf);
    const __m256i saturation = _mm256_cvttps_epi32(_mm256_mul_ps(
        _mm256_sub_ps(_mm256_set1_ps(1.0f), _mm256_div_ps(lowest, _mm256_cvtepi32_ps(intensity))),
        _mm256_set1_ps(255.0f)));
    join.Store(
        _mm_unpacklo_epi64(Narrow(intensity), Narrow(_mm256_blendv_epi8(hue, mirrored, blueAtLeastGreen))),
        Narrow(saturation), d);
  }
  RgbToHsiRowTables(s, d, width - x, pos);
}

void HsiToRgbRowAvx2(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  const Tables& t = GetTables();
  const ChannelMasks iMask = SplitMasks(0), hMask = SplitMasks(1), sMask = SplitMasks(2);
  const JoinMasks join;
  int32_t x = 0;
  for (; x + 8 <= width; x += 8, s += 24, d += 24) {
    const Pixels8 pixels(s);
    const __m128i i = pixels.Channel(iMask), h = pixels.Channel(hMask), sat = pixels.Channel(sMask);
    __m128i low[3], high[3];
    DecodeHalf(t, _mm_cvtepu8_epi32(i), _mm_cvtepu8_epi32(h), _mm_cvtepu8_epi32(sat), low);
    DecodeHalf(t, _mm_cvtepu8_epi32(_mm_srli_si128(i, 4)), _mm_cvtepu8_epi32(_mm_srli_si128(h, 4)),
               _mm_cvtepu8_epi32(_mm_srli_si128(sat, 4)), high);
    __m128i bytes[3];
    for (int c = 0; c < 3; ++c) bytes[c] = Narrow(_mm256_setr_m128i(low[c], high[c]));
    join.Store(_mm_unpacklo_epi64(bytes[pos.r], bytes[1]), bytes[pos.b], d);
  }
  HsiToRgbRowTables(s, d, width - x, pos);
}

}  // namespace qclr::hsi

#endif
