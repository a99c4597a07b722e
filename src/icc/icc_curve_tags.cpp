// Tone curves: 'curv' and 'para' tags and curves built from a gamma.
#include <cstdint>

#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"
#include "icc/parametric_curve.h"
#include "numeric/deterministic_math.h"
#include "numeric/truncate.h"

namespace qclr {
namespace {

// The most entries a curve built from a gamma gets.
constexpr int32_t kMaxGammaEntries = 65530;

}  // namespace

GammaCurve* IccBuildGamma(int32_t count, double gamma) {
  if (count > kMaxGammaEntries) count = kMaxGammaEntries;
  if (count < 2) return nullptr;
  GammaCurve* curve = AllocGammaCurve(count);
  if (curve == nullptr) return nullptr;
  for (int32_t i = 0; i < count; ++i) {
    int32_t v = 0;
    if (gamma != 0.0) {
      // Adding 0.5 and truncating rounds: the value is never negative. The clamp
      // only matters for a negative gamma, which no profile can carry.
      v = TruncToInt32(Pow(static_cast<double>(i) / (count - 1), gamma) * 65535.0 + 0.5);
      if (v < 0 || v > 65535) v = v < 0 ? 0 : 65535;
    }
    curve->entries[i] = static_cast<uint16_t>(v);
  }
  return curve;
}

namespace {

// A 'curv' body: the count, then the gamma or the entries.
GammaCurve* ReadSampledCurve(IccByteReader* reader) {
  uint32_t count;
  if (!reader->ReadU32(&count)) return nullptr;
  if (count == 0) {
    GammaCurve* identity = AllocGammaCurve(2);
    if (identity == nullptr) return nullptr;
    identity->entries[0] = 0;
    identity->entries[1] = 65535;
    return identity;
  }
  if (count == 1) {
    uint16_t gamma;
    if (!reader->ReadU16(&gamma)) return nullptr;
    return IccBuildGamma(256, U8Fixed8ToDouble(gamma));
  }
  // The entries must all be in the tag.
  if (count > reader->Remaining() / 2 || count > INT32_MAX) return nullptr;
  GammaCurve* curve = AllocGammaCurve(static_cast<int32_t>(count));
  if (curve == nullptr) return nullptr;
  for (uint32_t i = 0; i < count; ++i) reader->ReadU16(&curve->entries[i]);
  return curve;
}

// A 'para' body: the function type, a reserved word and the function's parameters.
GammaCurve* ReadParametricCurve(IccByteReader* reader) {
  uint16_t function, reserved;
  if (!reader->ReadU16(&function) || !reader->ReadU16(&reserved)) return nullptr;
  const int32_t count = IccParametricParamCount(function);
  if (count == 0) return nullptr;
  double params[kMaxParametricParams] = {};
  for (int32_t i = 0; i < count; ++i) {
    int32_t raw;
    if (!reader->ReadS32(&raw)) return nullptr;
    params[i] = S15Fixed16ToDouble(raw);
  }
  return IccSampleParametricCurve(function, params, kParametricCurveEntries);
}

GammaCurve* ReadCurveBody(uint32_t type, IccByteReader* reader) {
  if (type == kIccTypeCurve) return ReadSampledCurve(reader);
  if (type == kIccTypeParametricCurve) return ReadParametricCurve(reader);
  return nullptr;
}

}  // namespace

GammaCurve* IccReadCurve(const IccProfile* profile, uint32_t signature) {
  IccByteReader reader;
  uint32_t type;
  if (IccOpenTag(profile, signature, &reader, &type) != 1) return nullptr;
  return ReadCurveBody(type, &reader);
}

GammaCurve* IccReadCurveElement(IccByteReader* reader) {
  uint32_t type, reserved;
  if (!reader->ReadU32(&type) || !reader->ReadU32(&reserved)) return nullptr;
  return ReadCurveBody(type, reader);
}

}  // namespace qclr
