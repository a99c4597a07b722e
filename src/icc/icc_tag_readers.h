// Readers of the tags the transform builder needs: XYZ values, tone curves and
// 8-bit and 16-bit lookup tables. Each checks the tag's type signature and reads
// only within the tag's declared size; a tag that is absent, of another type or
// does not fit (IccOpenTag) or whose content needs more than its size gives the
// failure result and changes nothing.
#pragma once

#include <cstdint>

#include "icc/icc_profile.h"
#include "icc/icc_types.h"

namespace qclr {

// The first XYZ number of tag `signature` (type 'XYZ ' or 0x07C3B10C): 1; -1 when
// the tag is absent or of another type; -2 when it does not fit or is too short
// for the number.
int32_t IccReadXYZ(const IccProfile* profile, uint32_t signature, double xyz[3]);

// The media white point ('wtpt'): 1; else D50 (0.964294, 1.0, 0.825104) and 0
// when the tag is absent or of another type, -1 when it is there but broken (the
// -2 of IccReadXYZ).
int32_t IccReadMediaWhitePoint(const IccProfile* profile, double xyz[3]);

// The media black point ('bkpt'): 1; else (0, 0, 0) and 0 or -1 as for the white
// point.
int32_t IccReadMediaBlackPoint(const IccProfile* profile, double xyz[3]);

// The colorant matrix: columns red, green, blue from 'rXYZ', 'gXYZ', 'bXYZ'
// (row 0 the three X values, row 1 the Y values, row 2 the Z values). 1, or 0
// when any of the three cannot be read.
int32_t IccReadColorants(const IccProfile* profile, double matrix[3][3]);

// A 'curv' tag as a curve: count 0 is the identity {0, 65535}, count 1 a gamma
// (u8Fixed8) sampled at 256 entries, otherwise the stored entries. Null when
// the tag is absent, of another type or cut short, or memory runs out.
GammaCurve* IccReadCurve(const IccProfile* profile, uint32_t signature);

// A curve of `count` entries (cut to 65530) of gamma `gamma`: entry i =
// floor(pow(i / (count - 1), gamma) * 65535 + 0.5); all zeros for a gamma of
// exactly 0. Null when count is below 2 or memory runs out.
GammaCurve* IccBuildGamma(int32_t count, double gamma);

// An 'mft1' or 'mft2' table with its flags and interpolation parameters. Null
// when the tag is absent, of another type or cut short; when the table declares
// more than 16 input or output channels, none, fewer than 2 grid points or fewer
// than 2 curve entries; or when memory runs out.
LutTable* IccReadLut(const IccProfile* profile, uint32_t signature);

}  // namespace qclr
