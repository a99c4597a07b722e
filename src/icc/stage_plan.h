// The stage between the two halves of a transform: how PCS values from the input
// side are rescaled (and converted between XYZ and Lab) for the output side,
// chosen from the two sides' PCS phases and the profiles' white and black points.
#pragma once

#include <cstdint>

#include "icc/target_white.h"

namespace qclr {

// The PCS flavour at one end of a transform.
enum PcsPhase : int32_t {
  kPhaseXyzRelative = 0,
  kPhaseLabRelative = 1,
  kPhaseXyzAbsolute = 2,
  kPhaseLabAbsolute = 3,
};

enum class StageKind {
  kNone,      // values pass unchanged
  kXyzScale,  // XYZ scaling
  kXyzToLab,  // XYZ scaling, then XYZ to Lab
  kLabToXyz,  // Lab to XYZ, then scaling
  kLabToLab,  // Lab to XYZ, scaling, XYZ to Lab
};

struct StagePlan {
  StageKind kind;
  int32_t scale[3];   // s15.16
  int32_t offset[3];  // s15.16, in units where 1.0 is the PCS white
};

// The points a stage is computed from: media black and white points and the
// header illuminant of each profile, and the target white.
struct StagePoints {
  XyzTriple inBlack, inWhite, inIlluminant;
  XyzTriple outBlack, outWhite, outIlluminant;
  XyzTriple target;
};

// The stage for an input phase and an output phase (each 0..3).
StagePlan PlanStage(int32_t inPhase, int32_t outPhase, const StagePoints& points);

// The s15.16 value of c: (int)(c x 65536 + 0.5), truncated toward zero.
int32_t ToS15Fixed16(double c);

}  // namespace qclr
