// IccCreateTransform: from two profiles to a device link (or a joined stage).
#include <cstring>

#include "base/memory.h"
#include "base/owned.h"
#include "icc/color_transform.h"
#include "icc/device_link_rows.h"
#include "icc/grid_interp.h"
#include "icc/icc_signatures.h"
#include "icc/media_points.h"
#include "icc/transform_sides.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

constexpr uint32_t kIntentAbsolute = 3;

int32_t PhaseOf(const IccProfile* p) {
  const bool absolute = IccGetRenderingIntent(p) == kIntentAbsolute;
  const uint32_t pcs = IccGetConnectionSpace(p);
  if (pcs == kIccSpaceLab) return absolute ? kPhaseLabAbsolute : kPhaseLabRelative;
  return absolute ? kPhaseXyzAbsolute : kPhaseXyzRelative;  // XYZ (the build checked it)
}

// The media points of both profiles and their illuminants. An absent media point
// takes its default; false when one is there but broken.
bool PointsOf(const IccProfile* in, const IccProfile* out, const XyzTriple& target, StagePoints* points) {
  double ii[3], io[3];
  IccGetIlluminant(in, ii);
  IccGetIlluminant(out, io);
  points->inIlluminant = {ii[0], ii[1], ii[2]};
  points->outIlluminant = {io[0], io[1], io[2]};
  points->target = target;
  return IccReadMediaPoints(in, &points->inBlack, &points->inWhite) == 0 &&
         IccReadMediaPoints(out, &points->outBlack, &points->outWhite) == 0;
}

// The channel values packed when the stage saturates to white: full light for RGB,
// L = 100 with neutral a and b for Lab, no ink for CMY and CMYK (and any other space).
void SetWhiteVector(ColorTransform* t) {
  const uint32_t space = IccGetColorSpace(t->outputProfile);
  uint16_t* w = t->whiteVector;
  std::memset(w, 0, sizeof t->whiteVector);
  if (space == kIccSpaceRgb) {
    w[0] = w[1] = w[2] = 65535;
  } else if (space == kIccSpaceLab) {
    w[0] = 0xFF00;
    w[1] = w[2] = 0x8000;
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
  auto table = CallocRecord<OwnedLutTable>();
  if (table == nullptr) return nullptr;
  table->grid = static_cast<uint16_t*>(MemAlloc(nodes * static_cast<size_t>(outputs) * sizeof(uint16_t)));
  if (table->grid == nullptr) return nullptr;
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
  return table.release();
}

// Steps 4 to 9 of a build; false means the profiles do not make a transform.
bool BuildPipeline(ColorTransform* t, const XyzTriple& target) {
  const IccProfile* in = t->inputProfile;
  const IccProfile* out = t->outputProfile;
  const int32_t inChannels = static_cast<int32_t>(FormatChannels(t->inputFormat));
  const int32_t outChannels = static_cast<int32_t>(FormatChannels(t->outputFormat));
  const bool inTable = IccIsTag(in, kIccTagAToB0), outTable = IccIsTag(out, kIccTagBToA0);

  if (!inTable && !outTable && IccGetColorSpace(in) == kIccSpaceRgb && IccGetColorSpace(out) == kIccSpaceRgb) {
    t->joinedShaper = IccBuildJoinedStage(in, out, nullptr);
    t->inputPhase = t->outputPhase = kPhaseXyzRelative;
    t->convert = ConvertJoined;
    return t->joinedShaper != nullptr && inChannels == 3 && outChannels == 3;
  }
  TransformSide side;
  if (!IccBuildInputSide(in, inChannels, &side, nullptr)) return false;
  if (side.shaper != nullptr) t->inputPhase = kPhaseXyzRelative;
  t->inputTable = side.table.release();
  t->inputTableAB = side.tableAB.release();
  t->inputShaper = side.shaper.release();
  if (!IccBuildOutputSide(out, outChannels, &side, nullptr)) return false;
  if (side.shaper != nullptr) t->outputPhase = kPhaseXyzRelative;
  t->outputTable = side.table.release();
  t->outputTableAB = side.tableAB.release();
  t->outputShaper = side.shaper.release();

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
  if (t->deviceLink == nullptr) return false;
  // Without memory for the tables the transform still converts, by the definition.
  t->linkTables = PrepareDeviceLinkTables(*t->deviceLink, t->inputFormat, t->outputFormat, t->unpack, t->pack);
  return true;
}

}  // namespace

ColorTransform* IccCreateTransform(OwnedProfile inputProfile, uint32_t inputFormat,
                                   OwnedProfile outputProfile, uint32_t outputFormat,
                                   const XyzTriple& target, int32_t* status) {
  auto t = CallocRecord<OwnedTransform>();
  if (t == nullptr) {
    *status = CLR_ERR_NOMEM;
    return nullptr;
  }
  t->inputFormat = inputFormat;
  t->outputFormat = outputFormat;
  t->inputProfile = inputProfile.release();
  t->outputProfile = outputProfile.release();
  t->unpack = SelectUnpacker(inputFormat);
  t->pack = SelectPacker(outputFormat);
  if (t->unpack == nullptr || t->pack == nullptr) {
    *status = CLR_ERR_COLORSPACE;
    return nullptr;
  }
  if (!IccProfileFitsFormat(t->inputProfile, inputFormat, nullptr) ||
      !IccProfileFitsFormat(t->outputProfile, outputFormat, nullptr)) {
    *status = CLR_ERR_PROFILE_MISMATCH;
    return nullptr;
  }
  t->inputPhase = PhaseOf(t->inputProfile);
  t->outputPhase = PhaseOf(t->outputProfile);
  if (!BuildPipeline(t.get(), target)) {
    *status = CLR_ERR_PROFILE_MISMATCH;
    return nullptr;
  }
  *status = CLR_OK;
  return t.release();
}

}  // namespace qclr
