// Described-YUV rows with AVX-512 (BW), 32 pixels a step: the AVX2 rows'
// arithmetic (described_yuv_rows.h) on four 128-bit lanes of 8 pixels each.
//
// Memory: a step reads the samples of its 32 pixels (16 groups of 4 bytes, 32
// groups of 3, or 32 luma and 32 / step chroma bytes of a planar row) and writes
// their 96 destination bytes; the pixels after the last whole step go through the
// portable row. Nothing outside the run or the row is read or written.
#include "handle/described_yuv_rows.h"

#if QCLR_X86_SIMD
// GCC's AVX-512 intrinsics start some results from an undefined vector
// (_mm512_undefined_epi32), which its own uninitialised-value warnings then report.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#include <array>

namespace qclr {
namespace {

constexpr int32_t kStep = 32;

inline __m512i Pairs(int16_t a, int16_t b) {
  return _mm512_set1_epi32(
      static_cast<int32_t>(static_cast<uint16_t>(a) | static_cast<uint32_t>(static_cast<uint16_t>(b)) << 16));
}

// The same 16 bytes in every 128-bit lane.
inline __m512i EveryLane(const std::array<int8_t, 16>& bytes) {
  return _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data())));
}

// Output byte k of a lane's 8 pixels is channel k % 3 of pixel k / 3, from `fg`
// (first channel at 0-7, G at 8-15) or `l8` (last channel at 0-7); `part` 0 gives
// bytes 0-15, part 1 bytes 16-23.
__m512i InterleaveMask(bool fromLast, int part) {
  std::array<int8_t, 16> m{};
  for (int i = 0; i < 16; ++i) {
    const int k = 16 * part + i, p = k / 3, c = k % 3;
    int8_t from = -128;
    if (k < 24) {
      if (fromLast && c == 2) from = static_cast<int8_t>(p);
      if (!fromLast && c < 2) from = static_cast<int8_t>(8 * c + p);
    }
    m[i] = from;
  }
  return EveryLane(m);
}

struct Interleave {
  __m512i fg0 = InterleaveMask(false, 0), l0 = InterleaveMask(true, 0);
  __m512i fg1 = InterleaveMask(false, 1), l1 = InterleaveMask(true, 1);
  // Dwords of the 96 output bytes: each lane's 4 head dwords, then its 2 tail
  // dwords (indices 16 and up take the tail vector).
  __m512i first = _mm512_setr_epi32(0, 1, 2, 3, 16, 17, 4, 5, 6, 7, 20, 21, 8, 9, 10, 11);
  __m512i second = _mm512_setr_epi32(24, 25, 12, 13, 14, 15, 28, 29, 0, 0, 0, 0, 0, 0, 0, 0);
};

// 32 pixels from their samples less the bias (16-bit lanes, pixels in order) into
// 96 bytes.
inline void Convert32(__m512i y, __m512i u, __m512i v, uint8_t* d, RgbPositions at, const Interleave& k) {
  const __m512i zero = _mm512_setzero_si512();
  const __m512i yvLo = _mm512_unpacklo_epi16(y, v), yvHi = _mm512_unpackhi_epi16(y, v);
  const __m512i yuLo = _mm512_unpacklo_epi16(y, u), yuHi = _mm512_unpackhi_epi16(y, u);
  const __m512i vLo = _mm512_unpacklo_epi16(v, zero), vHi = _mm512_unpackhi_epi16(v, zero);
  const __m512i cR = Pairs(1192, 1634), cG = Pairs(1192, -400), cGv = Pairs(-833, 0), cB = Pairs(1192, 2066);
  const auto sum = [](__m512i s) { return _mm512_srai_epi32(s, 10); };
  const __m512i r = _mm512_packs_epi32(sum(_mm512_madd_epi16(yvLo, cR)), sum(_mm512_madd_epi16(yvHi, cR)));
  const __m512i g = _mm512_packs_epi32(
      sum(_mm512_add_epi32(_mm512_madd_epi16(yuLo, cG), _mm512_madd_epi16(vLo, cGv))),
      sum(_mm512_add_epi32(_mm512_madd_epi16(yuHi, cG), _mm512_madd_epi16(vHi, cGv))));
  const __m512i b = _mm512_packs_epi32(sum(_mm512_madd_epi16(yuLo, cB)), sum(_mm512_madd_epi16(yuHi, cB)));
  const __m512i firstChannel = at.r == 0 ? r : b, lastChannel = at.r == 0 ? b : r;
  const __m512i fg = _mm512_packus_epi16(firstChannel, g), l8 = _mm512_packus_epi16(lastChannel, lastChannel);
  const __m512i head = _mm512_or_si512(_mm512_shuffle_epi8(fg, k.fg0), _mm512_shuffle_epi8(l8, k.l0));
  const __m512i tail = _mm512_or_si512(_mm512_shuffle_epi8(fg, k.fg1), _mm512_shuffle_epi8(l8, k.l1));
  _mm512_storeu_si512(d, _mm512_permutex2var_epi32(head, k.first, tail));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 64),
                      _mm512_castsi512_si256(_mm512_permutex2var_epi32(head, k.second, tail)));
}

// Widens to 16-bit lanes the bytes at `pick(p)` for the 8 pixels of each lane.
template <typename Pick>
__m512i WidenMask(const Pick& pick) {
  std::array<int8_t, 16> m{};
  for (int p = 0; p < 8; ++p) {
    m[2 * p] = static_cast<int8_t>(pick(p));
    m[2 * p + 1] = -128;
  }
  return EveryLane(m);
}

inline __m512i Bias(int32_t b) { return _mm512_set1_epi16(static_cast<int16_t>(b)); }

}  // namespace

void PackedPairsRowAvx512(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                          int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const int32_t* o = shape.offsets;  // Y0, Y1, U, V within a group of 4 bytes
  const __m512i pickY = WidenMask([&](int p) { return 4 * (p / 2) + o[p % 2]; });
  const __m512i pickU = WidenMask([&](int p) { return 4 * (p / 2) + o[2]; });
  const __m512i pickV = WidenMask([&](int p) { return 4 * (p / 2) + o[3]; });
  const __m512i luma = Bias(shape.bias.luma), chroma = Bias(shape.bias.chroma);
  const Interleave k;
  int32_t g = 0;
  for (; g + kStep / 2 <= groups; g += kStep / 2, src += 4 * (kStep / 2), dst += 3 * kStep) {
    const __m512i block = _mm512_loadu_si512(src);
    Convert32(_mm512_sub_epi16(_mm512_shuffle_epi8(block, pickY), luma),
              _mm512_sub_epi16(_mm512_shuffle_epi8(block, pickU), chroma),
              _mm512_sub_epi16(_mm512_shuffle_epi8(block, pickV), chroma), dst, at, k);
  }
  PackedGroupsRowPortable(src, dst, groups - g, shape, rgbOrder);
}

void PackedSinglesRowAvx512(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                            int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const int32_t* o = shape.offsets;  // Y, U, V within a group of 3 bytes
  // A lane covers 8 pixels, 24 bytes: bytes 0-15 from `a` (loaded at the lane's
  // first byte), bytes 16-23 from `b` (loaded 8 bytes further).
  const auto fromLow = [](int byte) { return byte < 16 ? byte : -128; };
  const auto fromHigh = [](int byte) { return byte >= 16 ? byte - 8 : -128; };
  __m512i low[3], high[3];
  for (int c = 0; c < 3; ++c) {
    low[c] = WidenMask([&](int p) { return fromLow(3 * p + o[c]); });
    high[c] = WidenMask([&](int p) { return fromHigh(3 * p + o[c]); });
  }
  const __m512i luma = Bias(shape.bias.luma), chroma = Bias(shape.bias.chroma);
  const Interleave k;
  const auto lanes = [](const uint8_t* p) {
    const auto load = [&](int offset) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + offset)); };
    __m512i v = _mm512_castsi128_si512(load(0));
    v = _mm512_inserti32x4(v, load(24), 1);
    v = _mm512_inserti32x4(v, load(48), 2);
    return _mm512_inserti32x4(v, load(72), 3);
  };
  int32_t g = 0;
  for (; g + kStep <= groups; g += kStep, src += 3 * kStep, dst += 3 * kStep) {
    const __m512i a = lanes(src), b = lanes(src + 8);
    const auto channel = [&](int c) {
      return _mm512_or_si512(_mm512_shuffle_epi8(a, low[c]), _mm512_shuffle_epi8(b, high[c]));
    };
    Convert32(_mm512_sub_epi16(channel(0), luma), _mm512_sub_epi16(channel(1), chroma),
              _mm512_sub_epi16(channel(2), chroma), dst, at, k);
  }
  PackedGroupsRowPortable(src, dst, groups - g, shape, rgbOrder);
}

void PlanarRowAvx512(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                     int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder) {
  const auto stepTaken = [](int32_t step) { return step == 1 || step == 2 || step == 4; };
  if (!stepTaken(uStep) || !stepTaken(vStep)) {
    PlanarRowPortable(y, u, v, dst, width, uStep, vStep, bias, rgbOrder);
    return;
  }
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const __m512i luma = Bias(bias.luma), chroma = Bias(bias.chroma);
  const Interleave k;
  // The 32 / step samples of 32 pixels, each repeated `step` times, as 16-bit lanes.
  const auto samples = [](const uint8_t* p, int32_t step) {
    __m256i s;
    if (step == 1) {
      s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    } else {
      __m128i h = step == 2 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p))
                            : _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
      if (step == 4) h = _mm_unpacklo_epi8(h, h);
      s = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_unpacklo_epi8(h, h)), _mm_unpackhi_epi8(h, h), 1);
    }
    return _mm512_cvtepu8_epi16(s);
  };
  int32_t x = 0;
  for (; x + kStep <= width; x += kStep, dst += 3 * kStep) {
    Convert32(_mm512_sub_epi16(samples(y + x, 1), luma), _mm512_sub_epi16(samples(u + x / uStep, uStep), chroma),
              _mm512_sub_epi16(samples(v + x / vStep, vStep), chroma), dst, at, k);
  }
  PlanarRowPortable(y + x, u + x / uStep, v + x / vStep, dst, width - x, uStep, vStep, bias, rgbOrder);
}

}  // namespace qclr
#endif
