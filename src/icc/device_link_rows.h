// Runs of 8-bit pixels through a transform's device link: the sampled grid,
// interpolated trilinearly for three inputs, or trilinearly in the two slices
// around the first input and then between them for four.
//
// The portable row is the definition: every pixel is unpacked to 16-bit channels,
// interpolated by IccEvalGrid3 / IccEvalGrid4 and packed. The fast rows give the
// same bytes from tables prepared once per transform (DeviceLinkTables): for every
// input byte and grid axis, the node at or below it and the two weights, and a
// copy of the grid with four channels a node. Their arithmetic is the
// definition's, rewritten exactly:
//   lerp(a, b, f) = a + ((b - a) x f >> 16) = (a x (65536 - f) + b x f) >> 16
// (a x 65536 is a multiple of 65536, so the floor moves out unchanged), which has
// no negative products; the first lerps, whose ends are grid values shifted left
// by 16, need no shift at all: v0 x (65536 - f) + v1 x f, exact in 32 bits.
// Every lerp lies between its ends, so no intermediate is negative or above
// 65535 x 65536, the channel's clamp never acts, and its rounding and the packer's
// truncation join into one: byte = (s + 2^31) >> 40 for the last lerp's sum s.
// Between the two slices of a 4-D grid the definition blends in double,
// (b - a) x f / 65536 + a truncated; every step of that is exact (at most 33
// significant bits) and the value lies between a and b, so it equals
// (a x (65536 - f) + b x f) >> 16 too.
// bench/exhaustive_check compares every row with the portable one over all 2^24
// three-byte inputs and 2^24 four-byte inputs spread over 2^32.
#pragma once

#include <cstdint>

#include "base/row_variants.h"
#include "icc/icc_types.h"
#include "icc/pixel_format.h"

namespace qclr {

struct ColorTransform;

// One input byte on one grid axis.
struct LinkAxisStep {
  int32_t lower;   // byte offset of the node at or below the input in the padded grid
  int32_t step;    // bytes from there to the node above (0 on the last node)
  uint32_t below;  // weight of the lower node, 65536 - f
  uint32_t above;  // weight of the upper node, f (0 on the last node)
};

struct DeviceLinkTables {
  int32_t inputs;   // 3 or 4
  int32_t outputs;  // 3 or 4
  int32_t inOrder[4];  // the pixel byte that feeds input k (reversed for BGR)
  bool swapOutput;     // three output channels written in reverse order (BGR)
  // axes[k][b]: input k at byte value b. Input k steps through the grid by the
  // stride of input k of the table; for four inputs, axis 0 chooses the slice
  // (rounded, as IccEvalGrid4 does) and its weights blend the two slices.
  LinkAxisStep axes[4][256];
  // The device link's nodes in the table's order, four channels each (zeros after
  // three), then one node of zeros, so that the node above the last one on the
  // last axis can be read (its weight is 0).
  uint16_t* grid;
  // The definition's parts, for the portable row.
  const LutTable* link;
  Unpacker unpack;
  Packer pack;
};

// Tables for a device link between 8-bit formats of three or four channels, or
// null: other formats, or no memory (the portable row then runs).
DeviceLinkTables* PrepareDeviceLinkTables(const LutTable& link, uint32_t inputFormat,
                                          uint32_t outputFormat, Unpacker unpack, Packer pack);
void FreeDeviceLinkTables(DeviceLinkTables* tables);

// The definition on `count` pixels.
void RunDeviceLinkDefinition(const LutTable& link, Unpacker unpack, Packer pack, const uint8_t* in,
                             uint8_t* out, int32_t count);

// The transform's conversion function for a device link: the fastest row the
// instruction set allows when the transform has tables, else the definition.
void ConvertDeviceLink(const ColorTransform& t, const uint8_t* in, uint8_t* out, int32_t count);

// Rows by the number of inputs; each handles three and four outputs.
using DeviceLinkRow = void (*)(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out,
                               int32_t count);

void DeviceLinkRowPortable(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count);
#if QCLR_X86_SIMD
void DeviceLink3RowSse2(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count);
void DeviceLink4RowSse2(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count);
void DeviceLink3RowAvx2(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count);
void DeviceLink4RowAvx2(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count);
void DeviceLink4RowAvx512(const DeviceLinkTables& d, const uint8_t* in, uint8_t* out, int32_t count);
#endif

inline constexpr RowVariants<DeviceLinkRow> kDeviceLink3Rows = {
    .portable = DeviceLinkRowPortable,
#if QCLR_X86_SIMD
    .sse2 = DeviceLink3RowSse2,
    .avx2 = DeviceLink3RowAvx2,
#endif
};

inline constexpr RowVariants<DeviceLinkRow> kDeviceLink4Rows = {
    .portable = DeviceLinkRowPortable,
#if QCLR_X86_SIMD
    .sse2 = DeviceLink4RowSse2,
    .avx2 = DeviceLink4RowAvx2,
    .avx512 = DeviceLink4RowAvx512,
#endif
};

}  // namespace qclr
