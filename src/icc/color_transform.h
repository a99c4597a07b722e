// Transforms between two ICC profiles: runs of packed pixels converted from one
// pixel format to another. A build decides once how pixels flow from the input
// device through the profile connection space (PCS) to the output device and
// samples that chain into one device-to-device table; RGB to RGB between two
// matrix/curve profiles instead keeps one joined matrix/curve stage.
//
// Nothing here touches process-wide state: the target white is an argument of the
// build, and evaluation keeps its intermediates on the stack, so transforms may be
// built and applied on several threads at once.
#pragma once

#include <cstdint>

#include "icc/icc_profile.h"
#include "icc/icc_types.h"
#include "icc/lut_ab.h"
#include "icc/mat_shaper.h"
#include "icc/pixel_format.h"
#include "icc/stage_plan.h"
#include "icc/target_white.h"

namespace qclr {

struct ColorTransform;
using ConvertRun = void (*)(const ColorTransform& t, const uint8_t* in, uint8_t* out, int32_t count);

struct ColorTransform {
  uint32_t inputFormat;
  uint32_t outputFormat;
  IccProfile* inputProfile;   // owned
  IccProfile* outputProfile;  // owned
  int32_t stageScale[3];      // s15.16
  int32_t stageOffset[3];
  ConvertRun convert;  // general pipeline, device link or joined stage
  Unpacker unpack;
  Packer pack;
  StageKind stage;
  LutTable* inputTable;   // A2B0, when the input side uses it
  LutTable* outputTable;  // B2A0, when the output side uses it
  LutTable* deviceLink;   // the sampled chain
  MatShaper* inputShaper;
  MatShaper* outputShaper;
  MatShaper* joinedShaper;
  int32_t inputPhase;   // PcsPhase
  int32_t outputPhase;
  uint16_t whiteVector[4];  // packed when the stage saturates to white
  LutAB* inputTableAB;      // A2B0 of a version 4 table type, when the input side uses it
  LutAB* outputTableAB;     // B2A0 of a version 4 table type
};

// Takes ownership of both profiles (released on failure too). `status` gets
// CLR_OK, CLR_ERR_NOMEM, CLR_ERR_PROFILE_MISMATCH, or CLR_ERR_COLORSPACE for a
// format without a packer.
ColorTransform* IccCreateTransform(IccProfile* inputProfile, uint32_t inputFormat,
                                   IccProfile* outputProfile, uint32_t outputFormat,
                                   const XyzTriple& target, int32_t* status);

// Opens the two profiles (the built-in ones for the formats when useFiles is 0,
// else the files) and builds with the white of `temperature` (55, 65, 75, 93 or
// D50). A format without a built-in profile gives CLR_ERR_COLORSPACE, a missing
// resource the system's error code, a profile that does not open
// CLR_ERR_PROFILE_OPEN.
ColorTransform* IccCreateTransformByTemperature(uint32_t inputFormat, uint32_t outputFormat,
                                                unsigned temperature, int32_t useFiles,
                                                const char* inputPath, const char* outputPath,
                                                int32_t* status);

// As above with the white given as a chromaticity; equal formats give
// CLR_ERR_COLORSPACE at once.
ColorTransform* IccCreateTransformByWhitePoint(uint32_t inputFormat, uint32_t outputFormat,
                                               double x, double y, int32_t useFiles,
                                               const char* inputPath, const char* outputPath,
                                               int32_t* status);

// Converts `count` pixels packed back to back; a count of 0 touches nothing.
int32_t IccApplyTransform(const ColorTransform* transform, const uint8_t* in, uint8_t* out,
                          int32_t count);

// Releases the tables, the stages, both profiles and the record (null is ignored).
void IccDeleteTransform(ColorTransform* transform);

// The general pipeline on one pixel of 16-bit channels (used while sampling).
void RunGeneralPipeline(const ColorTransform& t, const uint16_t* in, uint16_t* out);

}  // namespace qclr
