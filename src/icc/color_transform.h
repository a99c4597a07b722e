// Transforms between two ICC profiles: runs of packed pixels converted from one
// pixel format to another. A build decides once how pixels flow from the input
// device through the profile connection space (PCS) to the output device and
// samples that chain into one device-to-device table; RGB to RGB between two
// matrix/curve profiles instead keeps one joined matrix/curve stage.
//
// The transform record and the build from open profiles, inside the engine; the
// rest of the library uses the face in icc_engine.h.
#pragma once

#include <cstdint>

#include "base/owned.h"
#include "icc/icc_engine.h"
#include "icc/icc_profile.h"
#include "icc/icc_types.h"
#include "icc/lut_ab.h"
#include "icc/mat_shaper.h"
#include "icc/pixel_format.h"
#include "icc/stage_plan.h"
#include "icc/target_white.h"

namespace qclr {

struct ColorTransform;
struct DeviceLinkTables;
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
  DeviceLinkTables* linkTables;  // the device link prepared for the fast rows, or null
};

using OwnedTransform = Owned<ColorTransform, IccDeleteTransform>;

// Takes both profiles over (a transform keeps them; a failed build releases
// them). `status` gets CLR_OK, CLR_ERR_NOMEM, CLR_ERR_PROFILE_MISMATCH, or
// CLR_ERR_COLORSPACE for a format without a packer.
ColorTransform* IccCreateTransform(OwnedProfile inputProfile, uint32_t inputFormat,
                                   OwnedProfile outputProfile, uint32_t outputFormat,
                                   const XyzTriple& target, int32_t* status);

// The general pipeline on one pixel of 16-bit channels (used while sampling).
void RunGeneralPipeline(const ColorTransform& t, const uint16_t* in, uint16_t* out);

}  // namespace qclr
