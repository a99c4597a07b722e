// The packed definition of the YIQ decoder (chosen when the processor level is
// nonzero): the portable row, lane by lane, and its SSE2 row, 8 pixels a group.
//
// Memory (SSE2): a group reads exactly its 8 source pixels (24 bytes) and writes
// exactly its 8 destination pixels (24 bytes); the width mod 8 pixels at the end
// of a row go through the floating-point row. Nothing outside the row is read or
// written.
#include "direct/yiq_kernels.h"

#include "base/rgb_positions.h"

#if QCLR_X86_SIMD
#include <emmintrin.h>
#endif

namespace qclr {
namespace {

using W = YiqPackedWeights;

// The low 16 bits of v as a signed lane value.
int16_t Lane(int32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

// |v| of a signed lane (-32768 stays -32768, as the lane negation wraps), then the
// signed-to-unsigned byte saturation of packing.
uint8_t AbsAndPack(int16_t v) {
  const int16_t a = v < 0 ? Lane(-int32_t{v}) : v;
  if (a < 0) return 0;
  return a > 255 ? 255 : static_cast<uint8_t>(a);
}

}  // namespace

void YiqToRgbPixelPacked(const uint8_t* s, uint8_t* d, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  const int32_t y = s[0], i = s[1], q = s[2];
  // Unsigned sums, shifted logically.
  const uint16_t sumR = static_cast<uint16_t>(Lane(W::kRedI * i) + Lane(W::kRedQ * q));
  const uint16_t sumG = static_cast<uint16_t>(Lane(W::kGreenI * i) + Lane(W::kGreenQ * q));
  // Signed difference wrapping in its lane, shifted arithmetically.
  const int16_t diffB = Lane(Lane(W::kBlueI * i) - Lane(W::kBlueQ * q));
  const int16_t red = Lane(y + (sumR >> 7) - W::kRedOffset);
  const int16_t green = Lane(y + W::kGreenOffset - (sumG >> 7));
  const int16_t blue = Lane(y - (diffB >> 7) - W::kBlueOffset);
  d[pos.r] = AbsAndPack(red);
  d[1] = AbsAndPack(green);
  d[pos.b] = AbsAndPack(blue);
}

void YiqToRgbRowPacked(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const int32_t grouped = width / 8 * 8;
  for (int32_t x = 0; x < grouped; ++x, s += 3, d += 3) YiqToRgbPixelPacked(s, d, rgbOrder);
  YiqToRgbRow(s, d, width - grouped, rgbOrder);
}

#if QCLR_X86_SIMD

namespace {

// One channel of 8 pixels (every third byte from `first`) in 16-bit lanes. SSE2
// has no byte shuffle, so the lanes are filled by word inserts.
__m128i LoadChannel(const uint8_t* first) {
  return _mm_setr_epi16(first[0], first[3], first[6], first[9], first[12], first[15], first[18],
                        first[21]);
}

__m128i AbsLanes(__m128i v) {
  const __m128i sign = _mm_srai_epi16(v, 15);
  return _mm_sub_epi16(_mm_xor_si128(v, sign), sign);
}

// Writes 8 pixels from three vectors of non-negative 16-bit lanes, saturating each
// to 0..255.
void Store8Rgb(__m128i red, __m128i green, __m128i blue, uint8_t* d, RgbPositions pos) {
  alignas(16) uint8_t rg[16], bb[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rg), _mm_packus_epi16(red, green));
  _mm_store_si128(reinterpret_cast<__m128i*>(bb), _mm_packus_epi16(blue, blue));
  for (int k = 0; k < 8; ++k, d += 3) {
    d[pos.r] = rg[k];
    d[1] = rg[8 + k];
    d[pos.b] = bb[k];
  }
}

}  // namespace

void YiqToRgbRowPackedSse2(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  const int32_t groups = width / 8;
  const __m128i redI = _mm_set1_epi16(W::kRedI), redQ = _mm_set1_epi16(W::kRedQ);
  const __m128i greenI = _mm_set1_epi16(W::kGreenI), greenQ = _mm_set1_epi16(W::kGreenQ);
  const __m128i blueI = _mm_set1_epi16(W::kBlueI), blueQ = _mm_set1_epi16(W::kBlueQ);
  const __m128i redOffset = _mm_set1_epi16(W::kRedOffset);
  const __m128i greenOffset = _mm_set1_epi16(W::kGreenOffset);
  const __m128i blueOffset = _mm_set1_epi16(W::kBlueOffset);
  for (int32_t g = 0; g < groups; ++g, s += 24, d += 24) {
    const __m128i y = LoadChannel(s), i = LoadChannel(s + 1), q = LoadChannel(s + 2);
    // R: (146 I + 83 Q) as unsigned lanes, logical shift.
    const __m128i sumR = _mm_add_epi16(_mm_mullo_epi16(i, redI), _mm_mullo_epi16(q, redQ));
    const __m128i red = _mm_sub_epi16(_mm_add_epi16(y, _mm_srli_epi16(sumR, 7)), redOffset);
    // G: (42 I + 87 Q) as unsigned lanes, logical shift.
    const __m128i sumG = _mm_add_epi16(_mm_mullo_epi16(i, greenI), _mm_mullo_epi16(q, greenQ));
    const __m128i green = _mm_sub_epi16(_mm_add_epi16(y, greenOffset), _mm_srli_epi16(sumG, 7));
    // B: (169 I - 228 Q) wraps in its lane, arithmetic shift.
    const __m128i diffB = _mm_sub_epi16(_mm_mullo_epi16(i, blueI), _mm_mullo_epi16(q, blueQ));
    const __m128i blue = _mm_sub_epi16(_mm_sub_epi16(y, _mm_srai_epi16(diffB, 7)), blueOffset);
    Store8Rgb(AbsLanes(red), AbsLanes(green), AbsLanes(blue), d, pos);
  }
  YiqToRgbRow(s, d, width - groups * 8, rgbOrder);
}

#endif

}  // namespace qclr
