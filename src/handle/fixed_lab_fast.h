// What the fast rows of the fixed-point Lab conversion work from: tables prepared
// from a handle's record at the start of a conversion, and the rows themselves.
//
// The portable rows (LabToRgbFixedRow, RgbToLabFixedRow) are the definition. The
// fast rows give their bytes for every pixel:
//  - decoder: fy and the Y column's part of each output row depend on L alone, so
//    they are tabled by L; X and Z come from LabFInverse and FixMul done as the
//    definition does them (32-bit wrapping halves), on 8 or 16 lanes; the
//    threshold search becomes a direct index (LabCodeBucket): the leading bits of
//    the linear value choose a bucket that holds at most one threshold, whose code
//    below that threshold is tabled, so one comparison finishes the search.
//  - encoder: the nine channel tables are regrouped by source byte (X, Y, Z side
//    by side), the companding table holds each entry with the step to the next.
// Preparation checks that the record keeps every intermediate inside 32 bits
// without the saturation the definition applies (true for every record that
// handle initialisation builds), that the thresholds ascend and that no bucket
// holds two of them; otherwise it declines and the definition converts.
// bench/exhaustive_check compares the rows with the definition over all 2^24
// pixels of several encodings.
#pragma once

#include <cstdint>

#include "base/row_variants.h"
#include "handle/lab_records.h"

namespace qclr {

// Buckets of linear values v (4.28) for the direct threshold index: bucket 0 holds
// every v below 256; above, the bucket is the exponent and the top 7 mantissa bits
// of the single-precision value of v >> 8 (exact: it is below 2^24), so each
// bucket spans at most 1/128 of its start.
inline constexpr int32_t kLabCodeBuckets = 2945;

int32_t LabCodeBucket(int32_t v);

struct LabDecodeFast {
  const LabDecodeTable* record;
  struct Lightness {
    int32_t fy;      // f(Y / Yn), 4.28, as the definition computes it from the L byte
    int32_t row[3];  // FixMulWide(fixedMatrix[r][1], LabFInverse(fy)), rows R, G, B
  };
  Lightness byL[256];
  int32_t aOffset, aScale, bOffset, bScale;  // fx = fy + (a - aOffset) x aScale, exact
  int32_t columnX[3], columnZ[3];            // fixedMatrix[r][0], fixedMatrix[r][2]
  // bucket[k]: in the low 32 bits the threshold inside bucket k, where the code
  // rises by one, or INT32_MAX when there is none (no value reaches it:
  // preparation keeps every value below INT32_MAX); in the high 32 bits the code
  // of the values at the bucket's start (the number of thresholds below it).
  int64_t bucket[kLabCodeBuckets];
};

struct LabEncodeFast {
  const LabEncodeTable* record;
  // The X, Y and Z parts (16.16) of each source byte, then 0: channelTables
  // regrouped so one load gives a channel's three parts.
  int32_t byRed[256][4];
  int32_t byGreen[256][4];
  int32_t byBlue[256][4];
  // cubeRoot[j] in the low 16 bits, the step to the next entry (65536 after the
  // last) in the high 16.
  uint32_t compand[4096];
};

// EncodeByThresholds through the bucket index, one value: what the fast decoder
// rows do on their lanes.
int32_t EncodeByBuckets(int32_t v, const LabDecodeFast& t);

// Fills `fast` from the record; false when the record needs the definition's
// saturations or its thresholds do not fit the index.
bool PrepareLabDecodeFast(const LabDecodeTable& record, LabDecodeFast* fast);
bool PrepareLabEncodeFast(const LabEncodeTable& record, LabEncodeFast* fast);

using LabDecodeRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                              int32_t rgbOrder);
using LabEncodeRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                              int32_t rgbOrder);

// The definition through the prepared tables' record.
void LabToRgbFastRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                             int32_t rgbOrder);
void RgbToLabFastRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                             int32_t rgbOrder);
#if QCLR_X86_SIMD
void LabToRgbFastRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                         int32_t rgbOrder);
void RgbToLabFastRowSse2(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                         int32_t rgbOrder);
void LabToRgbFastRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                         int32_t rgbOrder);
void RgbToLabFastRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                         int32_t rgbOrder);
void LabToRgbFastRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                           int32_t rgbOrder);
void RgbToLabFastRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                           int32_t rgbOrder);
#endif

inline constexpr RowVariants<LabDecodeRow> kLabDecodeRows = {
    .portable = LabToRgbFastRowPortable,
#if QCLR_X86_SIMD
    .sse2 = LabToRgbFastRowSse2,
    .avx2 = LabToRgbFastRowAvx2,
    .avx512 = LabToRgbFastRowAvx512,
#endif
};

inline constexpr RowVariants<LabEncodeRow> kLabEncodeRows = {
    .portable = RgbToLabFastRowPortable,
#if QCLR_X86_SIMD
    .sse2 = RgbToLabFastRowSse2,
    .avx2 = RgbToLabFastRowAvx2,
    .avx512 = RgbToLabFastRowAvx512,
#endif
};

}  // namespace qclr
