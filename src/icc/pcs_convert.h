// Conversions in the profile connection space, on 16-bit values: XYZ as u1Fixed15
// (0x8000 = 1.0) and Lab in the 16-bit encoding of version 2 profiles (L x 652.8,
// so L = 100 is 0xFF00; a and b as (value + 128) x 256). White is D50.
#pragma once

#include <cstdint>

namespace qclr {

// XYZ (0, 0, 0) encodes as neutral black (0, 0x8000, 0x8000).
void XYZ16ToLab16(const uint16_t* in, uint16_t* out);
// Cubes without the linear segment near black; L = 0 gives XYZ (0, 0, 0).
void Lab16ToXYZ16(const uint16_t* in, uint16_t* out);

// Version 4 tables ('mAB ', 'mBA ') encode Lab on the whole 16-bit range: L = 100
// is 0xFFFF, a and b are (value + 128) x 257. Version 2 tables and the engine's
// PCS use the encoding above (x 256), which the version 4 one is 257/256 of.
// Three channels, rounded to nearest; in and out may be the same array. A version
// 2 value beyond the version 4 range (a or b above 0xFF00) becomes 0xFFFF.
void Lab16V4ToV2(const uint16_t* in, uint16_t* out);
void Lab16V2ToV4(const uint16_t* in, uint16_t* out);

// The stage between two profiles maps a PCS value v to v x scale + offset in XYZ;
// scale and offset are s15.16 triples. Each function takes three channels; in and
// out may be the same array.
using IccStageFunction = void (*)(const uint16_t* in, uint16_t* out, const int32_t* scale,
                                  const int32_t* offset);

void StageXYZScale(const uint16_t* in, uint16_t* out, const int32_t* scale, const int32_t* offset);
void StageXYZToLab(const uint16_t* in, uint16_t* out, const int32_t* scale, const int32_t* offset);
void StageLabToXYZ(const uint16_t* in, uint16_t* out, const int32_t* scale, const int32_t* offset);
void StageLabToLab(const uint16_t* in, uint16_t* out, const int32_t* scale, const int32_t* offset);

}  // namespace qclr
