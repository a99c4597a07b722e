// Readers of the tags the transform builder needs: XYZ values, tone curves,
// 8-bit and 16-bit lookup tables, the multi-stage tables and the chromatic
// adaptation of version 4 profiles, and text for people. Each checks the tag's type signature and reads
// only within the tag's declared size; a tag that is absent, of another type or
// does not fit (IccOpenTag) or whose content needs more than its size gives the
// failure result and changes nothing.
#pragma once

#include <cstdint>

#include "icc/icc_profile.h"
#include "icc/icc_types.h"
#include "icc/lut_ab.h"

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

// A 'curv' or 'para' tag as a curve. 'curv': count 0 is the identity {0, 65535},
// count 1 a gamma (u8Fixed8) sampled at 256 entries, otherwise the stored entries.
// 'para': the function sampled at kParametricCurveEntries entries
// (parametric_curve.h). Null when the tag is absent, of another type or cut short,
// names an unknown function, or memory runs out.
GammaCurve* IccReadCurve(const IccProfile* profile, uint32_t signature);

// A curve element inside a table tag: the 8-byte head ('curv' or 'para' and the
// reserved word) and the body, read as IccReadCurve reads a tag. The reader is
// left just behind the body.
GammaCurve* IccReadCurveElement(IccByteReader* reader);

// A curve of `count` entries (cut to 65530) of gamma `gamma`: entry i =
// floor(pow(i / (count - 1), gamma) * 65535 + 0.5); all zeros for a gamma of
// exactly 0. Null when count is below 2 or memory runs out.
GammaCurve* IccBuildGamma(int32_t count, double gamma);

// An 'mft1' or 'mft2' table with its flags and interpolation parameters. Null
// when the tag is absent, of another type or cut short; when the table declares
// more than 16 input or output channels, none, fewer than 2 grid points or fewer
// than 2 curve entries; or when memory runs out.
LutTable* IccReadLut(const IccProfile* profile, uint32_t signature);

// An 'mAB ' or 'mBA ' table (lut_ab.h), for the profile's connection space. Null
// when the tag is absent, of another type or cut short; when its elements are
// combined in a way the format does not allow (B curves missing, A curves without
// the grid or the other way round, M curves without the matrix or the other way
// round, a matrix on other than three channels, different channel counts without
// a grid); when a curve is of another type or names an unknown function, the grid
// has a side of 0 points or a precision other than 1 or 2, more than 16 channels;
// or when memory runs out.
LutAB* IccReadLutAB(const IccProfile* profile, uint32_t signature);

// The chromatic adaptation ('chad', type 'sf32'): the 3 x 3 matrix, row by row,
// that takes XYZ under the profile's actual illuminant to the PCS's D50. 1; -1
// when the tag is absent or of another type; -2 when it does not fit or holds
// fewer than nine numbers.
int32_t IccReadChromaticAdaptation(const IccProfile* profile, double matrix[3][3]);

// Text for people from tag `signature` ('desc' and 'cprt' most of all): a
// 'textDescriptionType' ('desc', its ASCII part), a 'textType' ('text') or a
// 'multiLocalizedUnicodeType' ('mluc': the English record, US first, else the
// first record), written to `text` as UTF-8 and zero-terminated, cut to `size`
// bytes (never within a character). The length written (without the zero), or
// -1 when the tag is absent, of another type or does not fit (`text` then holds
// an empty string when size >= 1).
int32_t IccReadText(const IccProfile* profile, uint32_t signature, char* text, int32_t size);

}  // namespace qclr
