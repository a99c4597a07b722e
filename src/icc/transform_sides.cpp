#include "icc/transform_sides.h"

#include <utility>

#include "icc/curve_inversion.h"
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"
#include "icc/lut_eval.h"
#include "icc/matrix3.h"
#include "icc/media_points.h"
#include "icc/pixel_format.h"

namespace qclr {
namespace {

constexpr uint32_t kCurveTags[3] = {kIccTagRedCurve, kIccTagGreenCurve, kIccTagBlueCurve};
constexpr uint32_t kColorantTags[3] = {kIccTagRedColorant, kIccTagGreenColorant, kIccTagBlueColorant};
constexpr uint32_t kCurveTypes[] = {kIccTypeCurve, kIccTypeParametricCurve};
constexpr uint32_t kXyzTypes[] = {kIccTypeXyz, kIccTypeXyzLegacy};

// The three tone curves of a matrix/curve profile, released together.
struct Curves {
  GammaCurve* c[3] = {};
  ~Curves() {
    for (GammaCurve* curve : c) FreeGammaCurve(curve);
  }
  bool Read(const IccProfile* p, IccRefusal* why) {
    for (int i = 0; i < 3; ++i) {
      c[i] = IccReadCurve(p, kCurveTags[i]);
      if (c[i] == nullptr) {
        RefuseTag(p, kCurveTags[i], kCurveTypes, 2, why);
        return false;
      }
    }
    return true;
  }
  bool Reverse(const Curves& from, int32_t entries) {
    for (int i = 0; i < 3; ++i) {
      c[i] = IccReverseCurve(entries, from.c[i]);
      if (c[i] == nullptr) return false;
    }
    return true;
  }
  const GammaCurve* const* all() const { return c; }
};

bool ReadColorants(const IccProfile* p, Matrix3* m, IccRefusal* why) {
  if (IccReadColorants(p, m->m) == 1) return true;
  for (const uint32_t tag : kColorantTags) {
    double xyz[3];
    if (IccReadXYZ(p, tag, xyz) != 1) {
      RefuseTag(p, tag, kXyzTypes, 2, why);
      break;
    }
  }
  return false;
}

bool Invert(const Matrix3& colorants, Matrix3* inverse, IccRefusal* why) {
  if (InvertMatrix3(colorants, inverse)) return true;
  SetRefusal(why, "its colorants (rXYZ, gXYZ, bXYZ) form a matrix that cannot be inverted");
  return false;
}

// A matrix/curve model serves RGB-like devices of three channels only.
bool MatrixCurveChannels(int32_t channels, uint32_t table, IccRefusal* why) {
  if (channels == 3) return true;
  SetRefusal(why, "it has no %s table, and a matrix/curve model serves 3 channels, not %d",
             TagName(table).text, static_cast<int>(channels));
  return false;
}

OwnedMatShaper BuildInputStage(const IccProfile* p, IccRefusal* why) {
  Matrix3 colorants{};
  Curves curves;
  if (!ReadColorants(p, &colorants, why) || !curves.Read(p, why)) return nullptr;
  return OwnedMatShaper(IccBuildMatShaper(colorants.m, curves.all(), MATSHAPER_INPUT));
}

OwnedMatShaper BuildOutputStage(const IccProfile* p, IccRefusal* why) {
  Matrix3 colorants{}, inverse{};
  Curves curves, reversed;
  if (!ReadColorants(p, &colorants, why) || !Invert(colorants, &inverse, why) || !curves.Read(p, why) ||
      !reversed.Reverse(curves, 256)) {
    return nullptr;
  }
  return OwnedMatShaper(IccBuildMatShaper(inverse.m, reversed.all(), MATSHAPER_OUTPUT));
}

// Reads the table of tag `signature` for `inputs` -> `outputs` channels: 'mft1'
// or 'mft2' into side->table, `abType` ('mAB ' for A2B, 'mBA ' for B2A) into
// side->tableAB. On false the side may hold a table that does not serve.
bool ReadSideTable(const IccProfile* p, uint32_t signature, uint32_t abType, int32_t inputs, int32_t outputs,
                   TransformSide* side, IccRefusal* why) {
  IccByteReader reader;
  uint32_t type = 0;
  IccOpenTag(p, signature, &reader, &type);
  int32_t haveInputs = 0, haveOutputs = 0;
  bool evaluable = true;
  if (type == abType) {
    side->tableAB.reset(IccReadLutAB(p, signature));
    if (side->tableAB != nullptr) haveInputs = side->tableAB->inputs, haveOutputs = side->tableAB->outputs;
  } else {
    side->table.reset(IccReadLut(p, signature));
    if (side->table != nullptr) {
      haveInputs = side->table->inputChannels, haveOutputs = side->table->outputChannels;
      evaluable = IccLutIsEvaluable(*side->table);
    }
  }
  if (side->table == nullptr && side->tableAB == nullptr) {
    const uint32_t types[] = {kIccTypeLut8, kIccTypeLut16, abType};
    RefuseTag(p, signature, types, 3, why);
    return false;
  }
  if (evaluable && haveInputs == inputs && haveOutputs == outputs) return true;
  SetRefusal(why, "tag %s (%s) maps %d channels to %d, where %d to %d are needed", TagName(signature).text,
             TypeName(type).text, static_cast<int>(haveInputs), static_cast<int>(haveOutputs),
             static_cast<int>(inputs), static_cast<int>(outputs));
  return false;
}

bool IsIdentity(const Matrix3& m) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const double d = m.m[r][c] - (r == c ? 1.0 : 0.0);
      if (d > kMatShaperMatrixTolerance || d < -kMatShaperMatrixTolerance) return false;
    }
  }
  return true;
}

// Entries of the reversed output curves of a joined stage. 256 entries, as the
// output stage of a sampled transform has, lose up to 6 levels near black on a
// gamma-2.2 curve (the inverse is steep there); 4096 keep every level within 1.
constexpr int32_t kJoinedReverseEntries = 4096;

}  // namespace

bool IccProfileFitsFormat(const IccProfile* p, uint32_t format, IccRefusal* why) {
  const uint32_t need = RequiredProfileSpace(format);
  if (need != 0 && IccGetColorSpace(p) != need) {
    SetRefusal(why, "its data colour space is %s, the pixels are %s", SpaceName(IccGetColorSpace(p)).text,
               SpaceName(need).text);
    return false;
  }
  const uint32_t pcs = IccGetConnectionSpace(p);
  if (pcs != kIccSpaceXyz && pcs != kIccSpaceLab) {
    SetRefusal(why, "its connection space %s is neither XYZ nor Lab", SpaceName(pcs).text);
    return false;
  }
  return true;
}

// Each side is built on its own and handed over whole: what a failed build made
// is released with it.
bool IccBuildInputSide(const IccProfile* p, int32_t channels, TransformSide* side, IccRefusal* why) {
  TransformSide built;
  if (IccIsTag(p, kIccTagAToB0)) {
    if (!ReadSideTable(p, kIccTagAToB0, kIccTypeLutAToB, channels, 3, &built, why)) return false;
  } else {
    built.shaper = BuildInputStage(p, why);
    if (built.shaper == nullptr || !MatrixCurveChannels(channels, kIccTagAToB0, why)) return false;
  }
  *side = std::move(built);
  return true;
}

bool IccBuildOutputSide(const IccProfile* p, int32_t channels, TransformSide* side, IccRefusal* why) {
  TransformSide built;
  if (IccIsTag(p, kIccTagBToA0)) {
    if (!ReadSideTable(p, kIccTagBToA0, kIccTypeLutBToA, 3, channels, &built, why)) return false;
  } else {
    built.shaper = BuildOutputStage(p, why);
    if (built.shaper == nullptr || !MatrixCurveChannels(channels, kIccTagBToA0, why)) return false;
  }
  *side = std::move(built);
  return true;
}

// RGB to RGB between two matrix/curve profiles: input curves, then (inverse output
// matrix x input matrix), then the output device's reversed curves. When the two
// profiles share their primaries the product is the identity, and joining each
// input curve with its reversed output curve gives the same colours in a single
// lookup, exactly (RGB to BGR through one profile returns the input bytes).
MatShaper* IccBuildJoinedStage(const IccProfile* in, const IccProfile* out, IccRefusal* why) {
  Matrix3 inMatrix{}, outMatrix{}, outInverse{};
  Curves inCurves, outCurves;
  if (!ReadColorants(in, &inMatrix, why) || !ReadColorants(out, &outMatrix, why) ||
      !Invert(outMatrix, &outInverse, why) || !inCurves.Read(in, why) || !outCurves.Read(out, why)) {
    return nullptr;
  }
  const Matrix3 product = MultiplyMatrix3(outInverse, inMatrix);
  Curves first, last;
  if (IsIdentity(product)) {
    for (int i = 0; i < 3; ++i) {
      first.c[i] = IccJoinCurves(inCurves.c[i], outCurves.c[i]);
      last.c[i] = AllocGammaCurve(2);
      if (first.c[i] == nullptr || last.c[i] == nullptr) return nullptr;
      last.c[i]->entries[0] = 0;
      last.c[i]->entries[1] = 65535;
    }
    return IccBuildJoinedMatShaper(product.m, first.all(), last.all());
  }
  if (!last.Reverse(outCurves, kJoinedReverseEntries)) return nullptr;
  return IccBuildJoinedMatShaper(product.m, inCurves.all(), last.all());
}

bool IccMediaPointsUsable(const IccProfile* p, IccRefusal* why) {
  XyzTriple black, white;
  const uint32_t broken = IccReadMediaPoints(p, &black, &white);
  if (broken == 0) return true;
  if (broken == kIccTagChromaticAdaptation) {
    const uint32_t types[] = {kIccTypeS15Fixed16Array};
    RefuseTag(p, broken, types, 1, why);
    double m[3][3];
    if (IccReadChromaticAdaptation(p, m) == 1) SetRefusal(why, "its chromatic adaptation (chad) cannot be inverted");
  } else {
    RefuseTag(p, broken, kXyzTypes, 2, why);
  }
  return false;
}

}  // namespace qclr
