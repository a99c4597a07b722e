// Applying and releasing transforms, and the per-pixel conversion functions.
#include "icc/color_transform.h"

#include "base/memory.h"
#include "icc/device_link_rows.h"
#include "icc/lut_eval.h"
#include "icc/pcs_convert.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

IccStageFunction StageFunction(StageKind kind) {
  switch (kind) {
    case StageKind::kXyzScale: return StageXYZScale;
    case StageKind::kXyzToLab: return StageXYZToLab;
    case StageKind::kLabToXyz: return StageLabToXYZ;
    case StageKind::kLabToLab: return StageLabToLab;
    case StageKind::kNone: break;
  }
  return nullptr;
}

}  // namespace

void RunGeneralPipeline(const ColorTransform& t, const uint16_t* in, uint16_t* out) {
  uint16_t pcs[kMaxLutChannels] = {};
  if (t.inputTable != nullptr) {
    IccEvalLut(*t.inputTable, in, pcs);
  } else if (t.inputTableAB != nullptr) {
    IccEvalLutAB(*t.inputTableAB, in, pcs);
  } else {
    IccEvalMatShaper(*t.inputShaper, in, pcs);
  }
  if (const IccStageFunction stage = StageFunction(t.stage)) {
    uint16_t scaled[3];
    stage(pcs, scaled, t.stageScale, t.stageOffset);
    if (scaled[0] == 65535 && scaled[1] == 65535 && scaled[2] == 65535) {
      for (int c = 0; c < 4; ++c) out[c] = t.whiteVector[c];
      return;
    }
    for (int c = 0; c < 3; ++c) pcs[c] = scaled[c];
  }
  if (t.outputTable != nullptr) {
    IccEvalLut(*t.outputTable, pcs, out);
  } else if (t.outputTableAB != nullptr) {
    IccEvalLutAB(*t.outputTableAB, pcs, out);
  } else {
    IccEvalMatShaper(*t.outputShaper, pcs, out);
  }
}

int32_t IccApplyTransform(const ColorTransform* transform, const uint8_t* in, uint8_t* out,
                          int32_t count) {
  if (count > 0) transform->convert(*transform, in, out, count);
  return CLR_OK;
}

IccPixelBytes IccTransformPixelBytes(const ColorTransform* t) {
  const auto pixelBytes = [](uint32_t f) { return FormatChannels(f) * FormatBytes(f); };
  return {pixelBytes(t->inputFormat), pixelBytes(t->outputFormat)};
}

void IccDeleteTransform(ColorTransform* t) {
  if (t == nullptr) return;
  FreeLutTable(t->inputTable);
  FreeLutTable(t->outputTable);
  FreeLutTable(t->deviceLink);
  FreeDeviceLinkTables(t->linkTables);
  FreeLutAB(t->inputTableAB);
  FreeLutAB(t->outputTableAB);
  IccFreeMatShaper(t->inputShaper);
  IccFreeMatShaper(t->outputShaper);
  IccFreeMatShaper(t->joinedShaper);
  IccCloseProfile(t->inputProfile);
  IccCloseProfile(t->outputProfile);
  MemFree(t);
}

}  // namespace qclr
