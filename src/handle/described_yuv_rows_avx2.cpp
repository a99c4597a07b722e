// Described-YUV rows with AVX2, 16 pixels a step (described_yuv_rows.h has the
// arithmetic).
//
// Memory: a step reads the samples of its 16 pixels (8 groups of 4 bytes, 16
// groups of 3, or 16 luma and 16 / step chroma bytes of a planar row) and writes
// their 48 destination bytes; the pixels after the last whole step go through the
// portable row. Nothing outside the run or the row is read or written.
#include "handle/described_yuv_rows.h"

#if QCLR_X86_SIMD
#include <immintrin.h>

#include <array>

namespace qclr {
namespace {

constexpr int32_t kStep = 16;

inline __m256i Pairs(int16_t a, int16_t b) {
  return _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint16_t>(a) | static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16));
}

// Which bytes of two 8-pixel halves go to each output byte: out[k] is channel
// k % 3 of pixel k / 3 (R, G, B), taken from `rg` (R at 0-7, G at 8-15) or `b`
// (B at 0-7). `part` 0 gives output bytes 0-15, part 1 bytes 16-23.
__m256i InterleaveMask(bool fromBlue, int part) {
  std::array<int8_t, 32> m{};
  for (int lane = 0; lane < 2; ++lane) {
    for (int i = 0; i < 16; ++i) {
      const int k = 16 * part + i, p = k / 3, c = k % 3;
      int8_t from = -128;  // zero
      if (k < 24) {
        if (fromBlue && c == 2) from = static_cast<int8_t>(p);
        if (!fromBlue && c < 2) from = static_cast<int8_t>(8 * c + p);
      }
      m[16 * lane + i] = from;
    }
  }
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m.data()));
}

struct Interleave {
  __m256i rg0 = InterleaveMask(false, 0), b0 = InterleaveMask(true, 0);
  __m256i rg1 = InterleaveMask(false, 1), b1 = InterleaveMask(true, 1);
};

// 16 pixels from their samples less the bias (16-bit lanes, pixels in order) into
// 48 bytes, R first when `at` says so.
inline void Convert16(__m256i y, __m256i u, __m256i v, uint8_t* d, RgbPositions at, const Interleave& k) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i yvLo = _mm256_unpacklo_epi16(y, v), yvHi = _mm256_unpackhi_epi16(y, v);
  const __m256i yuLo = _mm256_unpacklo_epi16(y, u), yuHi = _mm256_unpackhi_epi16(y, u);
  const __m256i vLo = _mm256_unpacklo_epi16(v, zero), vHi = _mm256_unpackhi_epi16(v, zero);
  const __m256i cR = Pairs(1192, 1634), cG = Pairs(1192, -400), cGv = Pairs(-833, 0), cB = Pairs(1192, 2066);
  const auto sum = [](__m256i s) { return _mm256_srai_epi32(s, 10); };
  const __m256i r = _mm256_packs_epi32(sum(_mm256_madd_epi16(yvLo, cR)), sum(_mm256_madd_epi16(yvHi, cR)));
  const __m256i g = _mm256_packs_epi32(
      sum(_mm256_add_epi32(_mm256_madd_epi16(yuLo, cG), _mm256_madd_epi16(vLo, cGv))),
      sum(_mm256_add_epi32(_mm256_madd_epi16(yuHi, cG), _mm256_madd_epi16(vHi, cGv))));
  const __m256i b = _mm256_packs_epi32(sum(_mm256_madd_epi16(yuLo, cB)), sum(_mm256_madd_epi16(yuHi, cB)));
  // Bytes, limited to 0..255; per 128-bit lane: first 0-7 and G 8-15, last 0-7.
  const __m256i first = at.r == 0 ? r : b, last = at.r == 0 ? b : r;
  const __m256i fg = _mm256_packus_epi16(first, g), l8 = _mm256_packus_epi16(last, last);
  const __m256i head = _mm256_or_si256(_mm256_shuffle_epi8(fg, k.rg0), _mm256_shuffle_epi8(l8, k.b0));
  const __m256i tail = _mm256_or_si256(_mm256_shuffle_epi8(fg, k.rg1), _mm256_shuffle_epi8(l8, k.b1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(head));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_castsi256_si128(tail));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 24), _mm256_extracti128_si256(head, 1));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 40), _mm256_extracti128_si256(tail, 1));
}

// A shuffle that widens to 16-bit lanes the bytes at `pick(p)` for the 8 pixels of
// each 128-bit lane (the same picks in both lanes).
template <typename Pick>
__m256i WidenMask(const Pick& pick) {
  std::array<int8_t, 32> m{};
  for (int lane = 0; lane < 2; ++lane) {
    for (int p = 0; p < 8; ++p) {
      m[16 * lane + 2 * p] = static_cast<int8_t>(pick(p));
      m[16 * lane + 2 * p + 1] = -128;
    }
  }
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m.data()));
}

}  // namespace

void PackedPairsRowAvx2(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                        int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const int32_t* o = shape.offsets;  // Y0, Y1, U, V within a group of 4 bytes
  // A 128-bit lane holds 4 groups, 8 pixels: pixel p is place p % 2 of group p / 2.
  const __m256i pickY = WidenMask([&](int p) { return 4 * (p / 2) + o[p % 2]; });
  const __m256i pickU = WidenMask([&](int p) { return 4 * (p / 2) + o[2]; });
  const __m256i pickV = WidenMask([&](int p) { return 4 * (p / 2) + o[3]; });
  const __m256i luma = _mm256_set1_epi16(static_cast<int16_t>(shape.bias.luma));
  const __m256i chroma = _mm256_set1_epi16(static_cast<int16_t>(shape.bias.chroma));
  const Interleave k;
  int32_t g = 0;
  for (; g + kStep / 2 <= groups; g += kStep / 2, src += 4 * (kStep / 2), dst += 3 * kStep) {
    const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    Convert16(_mm256_sub_epi16(_mm256_shuffle_epi8(block, pickY), luma),
              _mm256_sub_epi16(_mm256_shuffle_epi8(block, pickU), chroma),
              _mm256_sub_epi16(_mm256_shuffle_epi8(block, pickV), chroma), dst, at, k);
  }
  PackedGroupsRowPortable(src, dst, groups - g, shape, rgbOrder);
}

void PackedSinglesRowAvx2(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                          int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const int32_t* o = shape.offsets;  // Y, U, V within a group of 3 bytes
  // A 128-bit lane covers 8 pixels, 24 bytes: bytes 0-15 come from `low` (loaded at
  // the lane's first byte), bytes 16-23 from `high` (loaded 8 bytes further).
  const auto fromLow = [](int byte) { return byte < 16 ? byte : -128; };
  const auto fromHigh = [](int byte) { return byte >= 16 ? byte - 8 : -128; };
  __m256i low[3], high[3];
  for (int c = 0; c < 3; ++c) {
    low[c] = WidenMask([&](int p) { return fromLow(3 * p + o[c]); });
    high[c] = WidenMask([&](int p) { return fromHigh(3 * p + o[c]); });
  }
  const __m256i luma = _mm256_set1_epi16(static_cast<int16_t>(shape.bias.luma));
  const __m256i chroma = _mm256_set1_epi16(static_cast<int16_t>(shape.bias.chroma));
  const Interleave k;
  const auto load = [](const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  int32_t g = 0;
  for (; g + kStep <= groups; g += kStep, src += 3 * kStep, dst += 3 * kStep) {
    const __m256i a = _mm256_inserti128_si256(_mm256_castsi128_si256(load(src)), load(src + 24), 1);
    const __m256i b = _mm256_inserti128_si256(_mm256_castsi128_si256(load(src + 8)), load(src + 32), 1);
    const auto channel = [&](int c) {
      return _mm256_or_si256(_mm256_shuffle_epi8(a, low[c]), _mm256_shuffle_epi8(b, high[c]));
    };
    Convert16(_mm256_sub_epi16(channel(0), luma), _mm256_sub_epi16(channel(1), chroma),
              _mm256_sub_epi16(channel(2), chroma), dst, at, k);
  }
  PackedGroupsRowPortable(src, dst, groups - g, shape, rgbOrder);
}

void PlanarRowAvx2(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                   int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder) {
  const auto stepTaken = [](int32_t step) { return step == 1 || step == 2 || step == 4; };
  if (!stepTaken(uStep) || !stepTaken(vStep)) {
    PlanarRowPortable(y, u, v, dst, width, uStep, vStep, bias, rgbOrder);
    return;
  }
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const __m256i luma = _mm256_set1_epi16(static_cast<int16_t>(bias.luma));
  const __m256i chroma = _mm256_set1_epi16(static_cast<int16_t>(bias.chroma));
  const Interleave k;
  // The 16 / step samples of 16 pixels, each repeated `step` times, as 16-bit lanes.
  const auto samples = [](const uint8_t* p, int32_t step) {
    __m128i s;
    if (step == 1) {
      s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    } else if (step == 2) {
      s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
      s = _mm_unpacklo_epi8(s, s);
    } else {
      s = _mm_cvtsi32_si128(static_cast<int>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24));
      s = _mm_unpacklo_epi8(s, s);
      s = _mm_unpacklo_epi8(s, s);
    }
    return _mm256_cvtepu8_epi16(s);
  };
  int32_t x = 0;
  for (; x + kStep <= width; x += kStep, dst += 3 * kStep) {
    Convert16(_mm256_sub_epi16(samples(y + x, 1), luma), _mm256_sub_epi16(samples(u + x / uStep, uStep), chroma),
              _mm256_sub_epi16(samples(v + x / vStep, vStep), chroma), dst, at, k);
  }
  // The rest, from pixel x, which starts a chroma sample of both planes.
  PlanarRowPortable(y + x, u + x / uStep, v + x / vStep, dst, width - x, uStep, vStep, bias, rgbOrder);
}

}  // namespace qclr
#endif
