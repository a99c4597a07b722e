// Described-YUV rows with SSE2, 8 pixels a step (described_yuv_rows.h has the
// arithmetic). Without byte shuffles, packed samples are taken apart with shifts
// of whole groups, and each pixel is written as one 4-byte store whose last byte
// the next pixel's store overwrites.
//
// Memory: a step reads the samples of its 8 pixels (4 groups of 4 bytes, 8 groups
// of 3, or 8 luma and 8 / step chroma bytes of a planar row) and writes their 24
// destination bytes only (its last pixel is stored as 2 + 1 bytes); the pixels
// after the last whole step go through the portable row. Nothing outside the run
// or the row is read or written.
#include "handle/described_yuv_rows.h"

#if QCLR_X86_SIMD
#include <emmintrin.h>

#include <cstring>

namespace qclr {
namespace {

constexpr int32_t kStep = 8;

inline __m128i Pairs(int16_t a, int16_t b) {
  return _mm_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(a) | static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16));
}

// 8 pixels from their samples less the bias (16-bit lanes, pixels in order) into
// 24 bytes.
inline void Convert8(__m128i y, __m128i u, __m128i v, uint8_t* d, RgbPositions at) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i yvLo = _mm_unpacklo_epi16(y, v), yvHi = _mm_unpackhi_epi16(y, v);
  const __m128i yuLo = _mm_unpacklo_epi16(y, u), yuHi = _mm_unpackhi_epi16(y, u);
  const __m128i vLo = _mm_unpacklo_epi16(v, zero), vHi = _mm_unpackhi_epi16(v, zero);
  const __m128i cR = Pairs(1192, 1634), cG = Pairs(1192, -400), cGv = Pairs(-833, 0), cB = Pairs(1192, 2066);
  const auto sum = [](__m128i s) { return _mm_srai_epi32(s, 10); };
  const __m128i r = _mm_packs_epi32(sum(_mm_madd_epi16(yvLo, cR)), sum(_mm_madd_epi16(yvHi, cR)));
  const __m128i g = _mm_packs_epi32(sum(_mm_add_epi32(_mm_madd_epi16(yuLo, cG), _mm_madd_epi16(vLo, cGv))),
                                    sum(_mm_add_epi32(_mm_madd_epi16(yuHi, cG), _mm_madd_epi16(vHi, cGv))));
  const __m128i b = _mm_packs_epi32(sum(_mm_madd_epi16(yuLo, cB)), sum(_mm_madd_epi16(yuHi, cB)));
  // Bytes limited to 0..255, then one 32-bit lane a pixel: first, G, last, 0.
  const __m128i first = _mm_packus_epi16(at.r == 0 ? r : b, zero), last = _mm_packus_epi16(at.r == 0 ? b : r, zero);
  const __m128i fg = _mm_unpacklo_epi8(first, _mm_packus_epi16(g, zero));
  const __m128i l0 = _mm_unpacklo_epi8(last, zero);
  const __m128i pixels[2] = {_mm_unpacklo_epi16(fg, l0), _mm_unpackhi_epi16(fg, l0)};
  uint32_t words[kStep];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(words), pixels[0]);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(words + 4), pixels[1]);
  for (int p = 0; p < kStep - 1; ++p) std::memcpy(d + 3 * p, &words[p], 4);
  std::memcpy(d + 3 * (kStep - 1), &words[kStep - 1], 3);
}

inline __m128i Bias(int32_t b) { return _mm_set1_epi16(static_cast<int16_t>(b)); }

// The byte at `offset` of each 32-bit lane, in the lane's low byte.
inline __m128i ByteOf(__m128i groups, int32_t offset) {
  return _mm_and_si128(_mm_srl_epi32(groups, _mm_cvtsi32_si128(8 * offset)), _mm_set1_epi32(0xFF));
}

}  // namespace

void PackedPairsRowSse2(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                        int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const int32_t* o = shape.offsets;  // Y0, Y1, U, V within a group of 4 bytes
  const __m128i luma = Bias(shape.bias.luma), chroma = Bias(shape.bias.chroma);
  int32_t g = 0;
  for (; g + kStep / 2 <= groups; g += kStep / 2, src += 4 * (kStep / 2), dst += 3 * kStep) {
    // Four groups, one a 32-bit lane; each lane becomes two 16-bit pixels.
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i y = _mm_or_si128(ByteOf(block, o[0]), _mm_slli_epi32(ByteOf(block, o[1]), 16));
    const __m128i u = ByteOf(block, o[2]), v = ByteOf(block, o[3]);
    Convert8(_mm_sub_epi16(y, luma), _mm_sub_epi16(_mm_or_si128(u, _mm_slli_epi32(u, 16)), chroma),
             _mm_sub_epi16(_mm_or_si128(v, _mm_slli_epi32(v, 16)), chroma), dst, at);
  }
  PackedGroupsRowPortable(src, dst, groups - g, shape, rgbOrder);
}

void PlanarRowSse2(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                   int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder) {
  const auto stepTaken = [](int32_t step) { return step == 1 || step == 2 || step == 4; };
  if (!stepTaken(uStep) || !stepTaken(vStep)) {
    PlanarRowPortable(y, u, v, dst, width, uStep, vStep, bias, rgbOrder);
    return;
  }
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const __m128i zero = _mm_setzero_si128();
  const __m128i luma = Bias(bias.luma), chroma = Bias(bias.chroma);
  // The 8 / step samples of 8 pixels, each repeated `step` times, as 16-bit lanes.
  const auto samples = [&](const uint8_t* p, int32_t step) {
    uint8_t bytes[8] = {};
    std::memcpy(bytes, p, static_cast<size_t>(8 / step));
    __m128i s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes));
    for (int32_t repeat = 1; repeat < step; repeat *= 2) s = _mm_unpacklo_epi8(s, s);
    return _mm_unpacklo_epi8(s, zero);
  };
  int32_t x = 0;
  for (; x + kStep <= width; x += kStep, dst += 3 * kStep) {
    Convert8(_mm_sub_epi16(samples(y + x, 1), luma), _mm_sub_epi16(samples(u + x / uStep, uStep), chroma),
             _mm_sub_epi16(samples(v + x / vStep, vStep), chroma), dst, at);
  }
  PlanarRowPortable(y + x, u + x / uStep, v + x / vStep, dst, width - x, uStep, vStep, bias, rgbOrder);
}

}  // namespace qclr
#endif
