// IccCreateTransform: from two profiles to a device link (or a joined stage).
#include <cstring>
#include <initializer_list>

#include "base/memory.h"
#include "icc/color_transform.h"
#include "icc/curve_inversion.h"
#include "icc/grid_interp.h"
#include "icc/icc_tag_readers.h"
#include "icc/lut_eval.h"
#include "icc/matrix3.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

constexpr uint32_t kSigA2B0 = 0x41324230;  // 'A2B0'
constexpr uint32_t kSigB2A0 = 0x42324130;  // 'B2A0'
constexpr uint32_t kSigRTRC = 0x72545243;  // 'rTRC'
constexpr uint32_t kSigGTRC = 0x67545243;  // 'gTRC'
constexpr uint32_t kSigBTRC = 0x62545243;  // 'bTRC'
constexpr uint32_t kSpaceRgb = 0x52474220;  // 'RGB '
constexpr uint32_t kSpaceLab = 0x4C616220;  // 'Lab '
constexpr uint32_t kPcsXyz = 0x58595A20;    // 'XYZ '
constexpr uint32_t kIntentAbsolute = 3;

// The three tone curves of a matrix/curve profile, released together.
struct Curves {
  GammaCurve* c[3] = {};
  ~Curves() {
    for (GammaCurve* curve : c) FreeGammaCurve(curve);
  }
  bool Read(const IccProfile* p) {
    c[0] = IccReadCurve(p, kSigRTRC);
    c[1] = IccReadCurve(p, kSigGTRC);
    c[2] = IccReadCurve(p, kSigBTRC);
    return c[0] != nullptr && c[1] != nullptr && c[2] != nullptr;
  }
  bool Reverse(const Curves& from) {
    for (int i = 0; i < 3; ++i) {
      c[i] = IccReverseCurve(256, from.c[i]);
      if (c[i] == nullptr) return false;
    }
    return true;
  }
  const GammaCurve* const* all() const { return c; }
};

bool ReadColorants(const IccProfile* p, Matrix3* m) { return IccReadColorants(p, m->m) == 1; }

MatShaper* BuildInputStage(const IccProfile* p) {
  Matrix3 colorants{};
  Curves curves;
  if (!ReadColorants(p, &colorants) || !curves.Read(p)) return nullptr;
  return IccBuildMatShaper(colorants.m, curves.all(), MATSHAPER_INPUT);
}

MatShaper* BuildOutputStage(const IccProfile* p) {
  Matrix3 colorants{}, inverse{};
  Curves curves, reversed;
  if (!ReadColorants(p, &colorants) || !InvertMatrix3(colorants, &inverse) || !curves.Read(p) ||
      !reversed.Reverse(curves)) {
    return nullptr;
  }
  return IccBuildMatShaper(inverse.m, reversed.all(), MATSHAPER_OUTPUT);
}

// Entries of the reversed output curves of a joined stage. 256 entries, as the
// output stage of a sampled transform has, lose up to 6 levels near black on a
// gamma-2.2 curve (the inverse is steep there); 4096 keep every level within 1.
constexpr int32_t kJoinedReverseEntries = 4096;

bool IsIdentity(const Matrix3& m) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const double d = m.m[r][c] - (r == c ? 1.0 : 0.0);
      if (d > kMatShaperMatrixTolerance || d < -kMatShaperMatrixTolerance) return false;
    }
  }
  return true;
}

// RGB to RGB between two matrix/curve profiles: input curves, then (inverse output
// matrix x input matrix), then the output device's reversed curves. When the two
// profiles share their primaries the product is the identity, and joining each
// input curve with its reversed output curve gives the same colours in a single
// lookup, exactly (RGB to BGR through one profile returns the input bytes).
MatShaper* BuildJoinedStage(const IccProfile* in, const IccProfile* out) {
  Matrix3 inMatrix{}, outMatrix{}, outInverse{};
  Curves inCurves, outCurves;
  if (!ReadColorants(in, &inMatrix) || !ReadColorants(out, &outMatrix) ||
      !InvertMatrix3(outMatrix, &outInverse) || !inCurves.Read(in) || !outCurves.Read(out)) {
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
  for (int i = 0; i < 3; ++i) {
    last.c[i] = IccReverseCurve(kJoinedReverseEntries, outCurves.c[i]);
    if (last.c[i] == nullptr) return nullptr;
  }
  return IccBuildJoinedMatShaper(product.m, inCurves.all(), last.all());
}

int32_t PhaseOf(const IccProfile* p) {
  const bool absolute = IccGetRenderingIntent(p) == kIntentAbsolute;
  const uint32_t pcs = IccGetConnectionSpace(p);
  if (pcs == kSpaceLab) return absolute ? kPhaseLabAbsolute : kPhaseLabRelative;
  return absolute ? kPhaseXyzAbsolute : kPhaseXyzRelative;  // XYZ (the build checked it)
}

XyzTriple Triple(const double v[3]) { return {v[0], v[1], v[2]}; }

// The media points and illuminants of both profiles. An absent media point takes
// its default; false when one is there but broken.
bool PointsOf(const IccProfile* in, const IccProfile* out, const XyzTriple& target, StagePoints* points) {
  double bi[3], wi[3], ii[3], bo[3], wo[3], io[3];
  const bool readable = IccReadMediaBlackPoint(in, bi) >= 0 && IccReadMediaWhitePoint(in, wi) >= 0 &&
                        IccReadMediaBlackPoint(out, bo) >= 0 && IccReadMediaWhitePoint(out, wo) >= 0;
  IccGetIlluminant(in, ii);
  IccGetIlluminant(out, io);
  *points = {Triple(bi), Triple(wi), Triple(ii), Triple(bo), Triple(wo), Triple(io), target};
  return readable;
}

// The channel values packed when the stage saturates to white: full light for RGB,
// L = 100 with neutral a and b for Lab, no ink for CMY and CMYK (and any other space).
void SetWhiteVector(ColorTransform* t) {
  const uint32_t space = IccGetColorSpace(t->outputProfile);
  uint16_t* w = t->whiteVector;
  std::memset(w, 0, sizeof t->whiteVector);
  if (space == kSpaceRgb) {
    w[0] = w[1] = w[2] = 65535;
  } else if (space == kSpaceLab) {
    w[0] = 0xFF00;
    w[1] = w[2] = 0x8000;
  }
}

// A table fits its side when it is evaluable and its channels are those of the
// device format on one end and of the PCS (3) on the other.
bool TableFits(const LutTable* table, int32_t inputs, int32_t outputs) {
  return table != nullptr && IccLutIsEvaluable(*table) && table->inputChannels == inputs &&
         table->outputChannels == outputs;
}

// The device link holds a grid alone, checked when it was sampled, so pixels go
// straight to the interpolation.
void ConvertDeviceLink(const ColorTransform& t, const uint8_t* in, uint8_t* out, int32_t count) {
  const LutTable& link = *t.deviceLink;
  uint16_t a[kMaxLutChannels], b[kMaxLutChannels];
  for (int32_t i = 0; i < count; ++i) {
    in = t.unpack(in, a);
    if (link.inputChannels == 4) {
      IccEvalGrid4(link, a, b);
    } else {
      IccEvalGrid3(a, b, link.grid, link.gridParams);
    }
    out = t.pack(b, out);
  }
}

void ConvertJoined(const ColorTransform& t, const uint8_t* in, uint8_t* out, int32_t count) {
  uint16_t a[3], b[3];
  for (int32_t i = 0; i < count; ++i) {
    in = t.unpack(in, a);
    IccEvalMatShaper(*t.joinedShaper, a, b);
    out = t.pack(b, out);
  }
}

// Samples the general pipeline at every node of an n-point grid. The first input
// varies slowest, so the nodes are stored in the order they are visited.
LutTable* SampleDeviceLink(const ColorTransform& t, int32_t inputs, int32_t outputs) {
  const int32_t n = inputs == 3 ? 33 : 16;
  size_t nodes = 1;
  for (int32_t k = 0; k < inputs; ++k) nodes *= static_cast<size_t>(n);
  auto* table = static_cast<LutTable*>(MemCalloc(1, sizeof(LutTable)));
  if (table == nullptr) return nullptr;
  table->grid = static_cast<uint16_t*>(MemAlloc(nodes * static_cast<size_t>(outputs) * sizeof(uint16_t)));
  if (table->grid == nullptr) {
    FreeLutTable(table);
    return nullptr;
  }
  table->flags = LUT_GRID;
  table->inputChannels = inputs;
  table->outputChannels = outputs;
  table->gridPoints = n;
  InterpParams& p = table->gridParams;
  p.samples = n;
  p.inputs = inputs;
  p.outputs = outputs;
  p.domain = static_cast<uint16_t>(n - 1);
  p.stride[0] = outputs;
  for (int k = 1; k < 4; ++k) p.stride[k] = p.stride[k - 1] * n;

  int32_t index[4] = {};
  uint16_t node[4], result[kMaxLutChannels];
  uint16_t* dst = table->grid;
  for (size_t i = 0; i < nodes; ++i) {
    for (int32_t k = 0; k < inputs; ++k) {
      node[k] = static_cast<uint16_t>(int64_t{index[k]} * 65535 / (n - 1));
    }
    RunGeneralPipeline(t, node, result);
    for (int32_t c = 0; c < outputs; ++c) *dst++ = result[c];
    for (int32_t k = inputs - 1; k >= 0 && ++index[k] == n; --k) index[k] = 0;
  }
  return table;
}

// Steps 4 to 9 of a build; false means the profiles do not make a transform.
bool BuildPipeline(ColorTransform* t, const XyzTriple& target) {
  const IccProfile* in = t->inputProfile;
  const IccProfile* out = t->outputProfile;
  const int32_t inChannels = static_cast<int32_t>(FormatChannels(t->inputFormat));
  const int32_t outChannels = static_cast<int32_t>(FormatChannels(t->outputFormat));
  const bool inTable = IccIsTag(in, kSigA2B0), outTable = IccIsTag(out, kSigB2A0);

  if (!inTable && !outTable && IccGetColorSpace(in) == kSpaceRgb && IccGetColorSpace(out) == kSpaceRgb) {
    t->joinedShaper = BuildJoinedStage(in, out);
    t->inputPhase = t->outputPhase = kPhaseXyzRelative;
    t->convert = ConvertJoined;
    return t->joinedShaper != nullptr && inChannels == 3 && outChannels == 3;
  }
  if (inTable) {
    t->inputTable = IccReadLut(in, kSigA2B0);
    if (!TableFits(t->inputTable, inChannels, 3)) return false;
  } else {
    t->inputShaper = BuildInputStage(in);
    t->inputPhase = kPhaseXyzRelative;
    if (t->inputShaper == nullptr || inChannels != 3) return false;
  }
  if (outTable) {
    t->outputTable = IccReadLut(out, kSigB2A0);
    if (!TableFits(t->outputTable, 3, outChannels)) return false;
  } else {
    t->outputShaper = BuildOutputStage(out);
    t->outputPhase = kPhaseXyzRelative;
    if (t->outputShaper == nullptr || outChannels != 3) return false;
  }
  StagePoints points;
  if (!PointsOf(in, out, target, &points)) return false;
  const StagePlan plan = PlanStage(t->inputPhase, t->outputPhase, points);
  t->stage = plan.kind;
  std::memcpy(t->stageScale, plan.scale, sizeof plan.scale);
  std::memcpy(t->stageOffset, plan.offset, sizeof plan.offset);
  SetWhiteVector(t);

  if ((inChannels != 3 && inChannels != 4) || (outChannels != 3 && outChannels != 4)) return false;
  t->deviceLink = SampleDeviceLink(*t, inChannels, outChannels);
  t->convert = ConvertDeviceLink;
  return t->deviceLink != nullptr;
}

}  // namespace

ColorTransform* IccCreateTransform(IccProfile* inputProfile, uint32_t inputFormat,
                                   IccProfile* outputProfile, uint32_t outputFormat,
                                   const XyzTriple& target, int32_t* status) {
  auto* t = static_cast<ColorTransform*>(MemCalloc(1, sizeof(ColorTransform)));
  if (t == nullptr) {
    IccCloseProfile(inputProfile);
    IccCloseProfile(outputProfile);
    *status = CLR_ERR_NOMEM;
    return nullptr;
  }
  t->inputFormat = inputFormat;
  t->outputFormat = outputFormat;
  t->inputProfile = inputProfile;
  t->outputProfile = outputProfile;
  t->unpack = SelectUnpacker(inputFormat);
  t->pack = SelectPacker(outputFormat);
  if (t->unpack == nullptr || t->pack == nullptr) {
    IccDeleteTransform(t);
    *status = CLR_ERR_COLORSPACE;
    return nullptr;
  }
  const uint32_t needIn = RequiredProfileSpace(inputFormat);
  const uint32_t needOut = RequiredProfileSpace(outputFormat);
  if ((needIn != 0 && IccGetColorSpace(inputProfile) != needIn) ||
      (needOut != 0 && IccGetColorSpace(outputProfile) != needOut)) {
    IccDeleteTransform(t);
    *status = CLR_ERR_PROFILE_MISMATCH;
    return nullptr;
  }
  // A connection space other than XYZ or Lab is no profile this engine can join.
  for (const uint32_t pcs : {IccGetConnectionSpace(inputProfile), IccGetConnectionSpace(outputProfile)}) {
    if (pcs != kPcsXyz && pcs != kSpaceLab) {
      IccDeleteTransform(t);
      *status = CLR_ERR_PROFILE_MISMATCH;
      return nullptr;
    }
  }
  t->inputPhase = PhaseOf(inputProfile);
  t->outputPhase = PhaseOf(outputProfile);
  if (!BuildPipeline(t, target)) {
    IccDeleteTransform(t);
    *status = CLR_ERR_PROFILE_MISMATCH;
    return nullptr;
  }
  *status = CLR_OK;
  return t;
}

}  // namespace qclr
