// Fuzzes the ICC profile reader: opens the input from memory and reads every tag
// of the directory as each tag kind (version 2 and version 4 types), touching the
// last element of everything a reader returns so that a buffer shorter than its
// declared size is caught; evaluates the version 4 tables at their corners; and
// checks the profile for each pixel format on both sides, which builds the halves
// of a transform (and their refusals) from whatever the tags hold.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "icc/icc_profile.h"
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"
#include "icc/media_points.h"
#include "icc/pixel_format.h"
#include "icc/profile_check.h"

namespace {

volatile uint32_t gSink;

void TouchTable(const qclr::LutTable* t) {
  uint64_t gridValues = static_cast<uint64_t>(t->outputChannels);
  for (int32_t i = 0; i < t->inputChannels; ++i) gridValues *= static_cast<uint64_t>(t->gridPoints);
  uint32_t sum = t->grid[gridValues - 1];
  for (int32_t c = 0; c < t->inputChannels; ++c) sum += t->inputCurves[c][t->inputEntries - 1];
  for (int32_t c = 0; c < t->outputChannels; ++c) sum += t->outputCurves[c][t->outputEntries - 1];
  gSink = sum + t->gridParams.domain + static_cast<uint32_t>(t->gridParams.stride[3]);
}

uint32_t LastOf(const qclr::GammaCurve* const* curves, int32_t count) {
  uint32_t sum = 0;
  for (int32_t c = 0; c < count && curves[c] != nullptr; ++c) sum += curves[c]->entries[curves[c]->count - 1];
  return sum;
}

void TouchTableAB(const qclr::LutAB* t) {
  const int32_t device = t->toPcs ? t->inputs : t->outputs, pcs = t->toPcs ? t->outputs : t->inputs;
  uint32_t sum = LastOf(t->aCurves, device) + LastOf(t->bCurves, pcs) + LastOf(t->mCurves, 3);
  if (t->grid != nullptr) {
    uint64_t values = static_cast<uint64_t>(t->outputs);
    for (int32_t i = 0; i < t->inputs; ++i) values *= static_cast<uint64_t>(t->gridPoints[i]);
    sum += t->grid[values - 1];
  }
  // The engine evaluates tables of 3 or 4 inputs; their corners reach the grid's ends.
  if (t->inputs <= 4) {
    uint16_t in[qclr::kMaxLutChannels] = {}, out[qclr::kMaxLutChannels];
    qclr::IccEvalLutAB(*t, in, out);
    sum += out[0];
    for (uint16_t& v : in) v = 65535;
    qclr::IccEvalLutAB(*t, in, out);
    sum += out[t->outputs - 1];
  }
  gSink = sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qclr;
  IccProfile* profile = IccOpenProfileFromMem(data, size);
  if (profile == nullptr) return 0;
  double xyz[3], illuminant[3], matrix[3][3];
  IccGetIlluminant(profile, illuminant);
  gSink = IccGetColorSpace(profile) ^ IccGetConnectionSpace(profile) ^ IccGetDeviceClass(profile) ^
          IccGetRenderingIntent(profile);
  IccReadMediaWhitePoint(profile, xyz);
  IccReadMediaBlackPoint(profile, xyz);
  IccReadColorants(profile, matrix);
  IccReadChromaticAdaptation(profile, matrix);
  XyzTriple black, white;
  gSink = IccReadMediaPoints(profile, &black, &white);
  for (int32_t i = 0; i < profile->tagCount; ++i) {
    const uint32_t signature = profile->tags[i].signature;
    if (!IccIsTag(profile, signature)) __builtin_trap();
    IccReadXYZ(profile, signature, xyz);
    if (GammaCurve* curve = IccReadCurve(profile, signature)) {
      gSink = curve->entries[curve->count - 1];
      FreeGammaCurve(curve);
    }
    if (LutTable* table = IccReadLut(profile, signature)) {
      TouchTable(table);
      FreeLutTable(table);
    }
    if (LutAB* table = IccReadLutAB(profile, signature)) {
      TouchTableAB(table);
      FreeLutAB(table);
    }
    char text[24];
    gSink = static_cast<uint32_t>(IccReadText(profile, signature, text, sizeof text));
  }
  for (const uint32_t format : {kFormatRgb8, kFormatCmy8, kFormatCmyk8, kFormatLab8, kFormat4x16}) {
    for (const int32_t side : {kIccSideSource, kIccSideDestination}) {
      IccRefusal why;
      gSink = static_cast<uint32_t>(IccCheckProfile(profile, format, side, &why)) + static_cast<uint8_t>(why.text[0]);
    }
  }
  IccCloseProfile(profile);
  return 0;
}
