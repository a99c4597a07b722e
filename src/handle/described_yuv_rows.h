// Rows of the described-YUV decoder: runs of whole packed groups, and rows of a
// planar layout that start at a chroma sample's first pixel.
//
// Each pixel is WriteYuvPixel of its samples, less the layout's bias: the portable
// rows do exactly that; the fast rows do it on 16 pixels a step (the sums in
// 32-bit lanes by pairwise multiply-adds of the 16-bit samples, which hold every
// product and sum exactly; the arithmetic shift and the limit to a byte as
// written), for the common shapes: packed groups of two pixels sharing one U and
// one V (4:2:2, any byte order), packed single pixels (4:4:4, any byte order),
// and planar rows whose chroma steps are 1, 2 or 4 pixels. bench/exhaustive_check
// compares every row with the portable one.
#pragma once

#include <cstdint>

#include "base/rgb_positions.h"
#include "base/row_variants.h"

namespace qclr {

struct YuvBias {
  int32_t luma;    // 16, or 0 for samples used as stored
  int32_t chroma;  // 128, or 0
};

// Studio-range BT.601 in 10-bit fixed point (1192 = 1.164 x 1024, ...). The sums
// are shifted arithmetically before the result is limited to a byte.
inline uint8_t LimitYuvChannel(int32_t v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

inline void WriteYuvPixel(int32_t y, int32_t u, int32_t v, uint8_t* d, RgbPositions at) {
  d[at.r] = LimitYuvChannel((1192 * y + 1634 * v) >> 10);
  d[1] = LimitYuvChannel((1192 * y - 400 * u - 833 * v) >> 10);
  d[at.b] = LimitYuvChannel((1192 * y + 2066 * u) >> 10);
}

// A packed layout's group: n pixels, their Y offsets, then the n / uStep U and
// n / vStep V offsets (YuvLayout's sampleOffsets).
struct PackedGroupShape {
  int32_t pixels;
  int32_t uStep;
  int32_t vStep;
  int32_t bytes;  // bytes of a group
  const int32_t* offsets;
  YuvBias bias;
};

// `groups` whole groups from `src` into 3 x pixels x groups bytes at `dst`.
using PackedGroupsRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                                 int32_t rgbOrder);

// A planar row of `width` pixels: pixel x uses y[x], u[x / uStep], v[x / vStep].
using PlanarRow = void (*)(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                           int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder);

void PackedGroupsRowPortable(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                             int32_t rgbOrder);
void PlanarRowPortable(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                       int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder);
#if QCLR_X86_SIMD
void PackedPairsRowSse2(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                        int32_t rgbOrder);
void PlanarRowSse2(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                   int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder);
void PackedPairsRowAvx2(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                        int32_t rgbOrder);
void PackedSinglesRowAvx2(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                          int32_t rgbOrder);
void PlanarRowAvx2(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                   int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder);
void PackedPairsRowAvx512(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                          int32_t rgbOrder);
void PackedSinglesRowAvx512(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                            int32_t rgbOrder);
void PlanarRowAvx512(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                     int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder);
#endif

// Groups of two pixels sharing one U and one V (uStep = vStep = 2, 4 bytes).
inline constexpr RowVariants<PackedGroupsRow> kPackedPairsRows = {
    .portable = PackedGroupsRowPortable,
#if QCLR_X86_SIMD
    .sse2 = PackedPairsRowSse2,
    .avx2 = PackedPairsRowAvx2,
    .avx512 = PackedPairsRowAvx512,
#endif
};

// Groups of one pixel (3 bytes).
inline constexpr RowVariants<PackedGroupsRow> kPackedSinglesRows = {
    .portable = PackedGroupsRowPortable,
#if QCLR_X86_SIMD
    .avx2 = PackedSinglesRowAvx2,
    .avx512 = PackedSinglesRowAvx512,
#endif
};

// Any steps; the fast rows take steps of 1, 2 and 4 and pass others on to the
// portable row.
inline constexpr RowVariants<PlanarRow> kPlanarRows = {
    .portable = PlanarRowPortable,
#if QCLR_X86_SIMD
    .sse2 = PlanarRowSse2,
    .avx2 = PlanarRowAvx2,
    .avx512 = PlanarRowAvx512,
#endif
};

// The rows for a packed group shape: the pairs' or the singles' table, or null
// for other shapes (the portable row then serves).
const RowVariants<PackedGroupsRow>* PackedRowsFor(const PackedGroupShape& shape);

}  // namespace qclr
