// The integer conversion between CSP_LAB bytes and RGB through a handle's
// precomputed records: 16.16 and 4.28 fixed point, table look-ups and binary
// searches, no floating point per pixel.
#pragma once

#include <cstdint>

#include "handle/lab_fixed_math.h"
#include "handle/lab_records.h"
#include "numeric/saturate.h"

namespace qclr {

// Whole-image kernels with the common geometry; the record is the handle's.
// rgbOrder 1 puts R at byte 0, 0 at byte 2. Both return CLR_OK.
int32_t LabToRgbFixed(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                      int32_t inAlign, int32_t outAlign, const LabDecodeTable& table,
                      int32_t rgbOrder);
int32_t RgbToLabFixed(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                      int32_t inAlign, int32_t outAlign, const LabEncodeTable& table,
                      int32_t rgbOrder);

// Row functions: the definitions the kernels loop over.
void LabToRgbFixedRow(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeTable& table,
                      int32_t rgbOrder);
void RgbToLabFixedRow(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeTable& table,
                      int32_t rgbOrder);

// Decoder steps.

// The record's scales truncated to integers, as every pixel uses them.
struct LabDecodeScales {
  int32_t l, a, b;
  double lOffset;  // lOffsetFixed, a whole number
};
LabDecodeScales DecodeScalesOf(const LabDecodeTable& table);

// f(Y / Yn) of an L byte, 4.28: the byte x 65536 less the offset (both whole
// numbers, so the difference is exact wherever it fits int32, and saturates
// beyond) times the L scale.
inline int32_t DecodeLightness(int32_t lByte, const LabDecodeScales& s) {
  return SaturateToInt32(FixMulWide(TruncSaturated(lByte * 65536.0 - s.lOffset), s.l));
}

// The 4.28 contribution of an a or b byte: (byte - offset) x 65536 times the
// 16.16 scale, which is exactly (byte - offset) x scale.
inline int64_t ChromaTerm(int32_t byte, int32_t offset, int32_t scale) {
  return (int64_t{byte} - offset) * scale;
}

// Encoder steps.

// The companding function f of a 16.16 value v (65536 = the white), interpolated
// between the 16-apart entries of cubeRoot; v is clamped to 0..65536 first.
int32_t CompandFixed(int64_t v, const uint16_t* cubeRoot);

// The 16.16 factor that shrinks a chroma difference d toward zero onto the limit
// it crossed: about limit / d, computed as (limit x 16384) / (d >> 2), or with d
// itself when d >> 2 is 0 (d = 1..3). Never more than 65536: a factor cannot
// enlarge a difference. 65536 means "no shrinking": d within lower..upper, or a
// limit that shrinking cannot reach because it does not lie between zero and d
// (limits that exclude zero itself, including every case of d = 0); the byte
// clamp of the encoder then takes care of d.
int64_t ChromaLimitFactor(int32_t d, int32_t lower, int32_t upper);

// Shrinks the a and b differences together when either lies outside the record's
// limits, so the hue is kept while the bytes stay in range. The a difference
// shrinks twice as much as b's factor says and b half as much as a's; when b's
// factor is below one half, a shrinks to zero rather than changing sign.
void LimitChroma(const LabEncodeTable& table, int32_t& d1, int32_t& d2);

}  // namespace qclr
