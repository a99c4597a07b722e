// Fuzzes the ICC profile reader: opens the input from memory and reads every tag
// of the directory as each tag kind, touching the last element of everything a
// reader returns so that a buffer shorter than its declared size is caught.
#include <cstddef>
#include <cstdint>

#include "icc/icc_profile.h"
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"

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
  }
  IccCloseProfile(profile);
  return 0;
}
