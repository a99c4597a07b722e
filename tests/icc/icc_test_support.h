// Helpers (and the headers) of the ICC tests: owning pointers, a small profile writer, curves and
// tables in the library's heap (sized exactly for the sanitizer) and transforms.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "base/memory.h"
#include "icc/color_transform.h"
#include "icc/curve_eval.h"
#include "icc/curve_inversion.h"
#include "icc/grid_interp.h"
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"
#include "icc/lut_eval.h"
#include "icc/mat_shaper.h"
#include "icc/matrix3.h"
#include "icc/pcs_convert.h"
#include "icc/pixel_format.h"
#include "icc/stage_plan.h"
#include "icc/target_white.h"
#include "platform/platform.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr::test {

// The engine's own owners of what it allocates.
using ProfilePtr = OwnedProfile;
using LutPtr = OwnedLutTable;
using LutABPtr = OwnedLutAB;
using CurvePtr = OwnedCurve;
using ShaperPtr = OwnedMatShaper;
using TransformPtr = OwnedTransform;

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v >> 8)), b.push_back(uint8_t(v)); }
inline void PutU32(Bytes& b, uint32_t v) { PutU16(b, v >> 16), PutU16(b, v & 0xFFFF); }
inline void SetU32(Bytes& b, size_t at, uint32_t v) { for (int i = 3; i >= 0; --i, v >>= 8) b[at + i] = uint8_t(v); }
inline uint32_t GetU32(const Bytes& b, size_t at) {
  return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

inline Bytes TagHead(uint32_t type) {  // type signature and reserved word
  Bytes b;
  PutU32(b, type), PutU32(b, 0);
  return b;
}

inline Bytes XyzTag(int32_t x, int32_t y, int32_t z, uint32_t type = kIccTypeXyz) {
  Bytes b = TagHead(type);
  for (int32_t v : {x, y, z}) PutU32(b, uint32_t(v));
  return b;
}

// A 'curv' tag; one entry is a u8Fixed8 gamma.
inline Bytes CurveTag(const std::vector<uint16_t>& entries) {
  Bytes b = TagHead(kIccTypeCurve);
  PutU32(b, uint32_t(entries.size()));
  for (uint16_t v : entries) PutU16(b, v);
  return b;
}

// A lookup table tag as written; an 8-bit table writes the low byte of each value.
struct TestLut {
  bool wide = true;
  uint32_t inputs = 3, outputs = 3, points = 2;
  uint32_t inputEntries = 2, outputEntries = 2;  // written for 16-bit tables only
  int32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x10000};
  std::vector<uint16_t> values;  // input curves, grid, output curves, back to back
};

inline Bytes LutTag(const TestLut& lut) {
  Bytes b = TagHead(lut.wide ? kIccTypeLut16 : kIccTypeLut8);
  for (uint32_t v : {lut.inputs, lut.outputs, lut.points, 0u}) b.push_back(uint8_t(v));
  for (int32_t m : lut.matrix) PutU32(b, uint32_t(m));
  if (lut.wide) PutU16(b, lut.inputEntries), PutU16(b, lut.outputEntries);
  for (uint16_t v : lut.values) lut.wide ? PutU16(b, v) : b.push_back(uint8_t(v));
  return b;
}

// A 16-bit table of two-entry identity curves and two grid points per side whose
// node values are node(indices as a bit mask, the first input highest, output).
inline Bytes TwoPointLutTag(uint32_t inputs, uint32_t outputs,
                            const std::function<uint16_t(uint32_t, uint32_t)>& node) {
  TestLut lut;
  lut.inputs = inputs;
  lut.outputs = outputs;
  for (uint32_t c = 0; c < inputs; ++c) lut.values.insert(lut.values.end(), {0, 65535});
  for (uint32_t n = 0; n < (1u << inputs); ++n)
    for (uint32_t k = 0; k < outputs; ++k) lut.values.push_back(node(n, k));
  for (uint32_t c = 0; c < outputs; ++c) lut.values.insert(lut.values.end(), {0, 65535});
  return LutTag(lut);
}

// A 16-bit table of three channels that passes them through.
inline Bytes IdentityLutTag() {
  return TwoPointLutTag(3, 3, [](uint32_t n, uint32_t k) -> uint16_t { return (n >> (2 - k)) & 1 ? 65535 : 0; });
}

// The evenly spaced curve the reader calls linear.
inline std::vector<uint16_t> Ramp(uint32_t entries) {
  std::vector<uint16_t> r(entries);
  for (uint32_t i = 0; i < entries; ++i) r[i] = uint16_t(i / double(entries - 1) * 65535.0 + 0.5);
  return r;
}

// A 'para' tag (or element) of function `function` with `params` (s15.16 doubles).
inline Bytes ParaTag(uint16_t function, const std::vector<double>& params) {
  Bytes b = TagHead(kIccTypeParametricCurve);
  PutU16(b, function), PutU16(b, 0);
  for (double p : params) PutU32(b, uint32_t(int32_t(std::lround(p * 65536))));
  return b;
}

// An 'mAB ' or 'mBA ' tag: each element is written when given (curve elements as
// whole 'curv' / 'para' tags), in the order B, matrix, M, grid, A, 4-byte aligned.
struct TestLutAB {
  bool toPcs = true;
  uint32_t inputs = 3, outputs = 3;
  std::vector<Bytes> a, m, b;
  std::vector<double> matrix;      // 9 elements row by row, then 3 offsets
  std::vector<uint8_t> gridPoints;  // one per input
  uint8_t precision = 2;
  std::vector<uint16_t> grid;       // written as bytes when precision is 1
};

inline Bytes LutABTag(const TestLutAB& t) {
  Bytes b = TagHead(t.toPcs ? kIccTypeLutAToB : kIccTypeLutBToA);
  b.push_back(uint8_t(t.inputs)), b.push_back(uint8_t(t.outputs)), PutU16(b, 0);
  b.resize(32, 0);
  const auto place = [&b](size_t slot) {
    while (b.size() % 4) b.push_back(0);
    SetU32(b, 12 + 4 * slot, uint32_t(b.size()));
  };
  const auto curves = [&](size_t slot, const std::vector<Bytes>& list) {
    if (list.empty()) return;
    place(slot);
    for (const Bytes& c : list) {
      while (b.size() % 4) b.push_back(0);
      b.insert(b.end(), c.begin(), c.end());
    }
  };
  curves(0, t.b);
  if (!t.matrix.empty()) {
    place(1);
    for (double v : t.matrix) PutU32(b, uint32_t(int32_t(std::lround(v * 65536))));
  }
  curves(2, t.m);
  if (!t.gridPoints.empty()) {
    place(3);
    Bytes points(16, 0);
    std::copy(t.gridPoints.begin(), t.gridPoints.end(), points.begin());
    b.insert(b.end(), points.begin(), points.end());
    b.push_back(t.precision), b.resize(b.size() + 3, 0);
    for (uint16_t v : t.grid) t.precision == 2 ? PutU16(b, v) : b.push_back(uint8_t(v));
  }
  curves(4, t.a);
  return b;
}

class TestProfile {
 public:
  uint32_t deviceClass = kIccClassDisplay, colorSpace = kIccSpaceRgb, connectionSpace = kIccSpaceXyz;
  uint32_t renderingIntent = 0;
  uint32_t version = 0x02100000;
  int32_t illuminant[3] = {0xF6D6, 0x10000, 0xD32D};

  TestProfile& Tag(uint32_t signature, Bytes data) {
    tags_.push_back({signature, std::move(data)});
    return *this;
  }

  // Header, directory, then the tag data 4-byte aligned in the order added.
  Bytes Build() const {
    Bytes b(128, 0);
    SetU32(b, 8, version);
    SetU32(b, 12, deviceClass);
    SetU32(b, 16, colorSpace);
    SetU32(b, 20, connectionSpace);
    SetU32(b, 36, kIccMagic);
    SetU32(b, 64, renderingIntent);
    for (int i = 0; i < 3; ++i) SetU32(b, 68 + 4 * i, uint32_t(illuminant[i]));
    PutU32(b, uint32_t(tags_.size()));
    b.resize(b.size() + 12 * tags_.size());
    for (size_t i = 0; i < tags_.size(); ++i) {
      while (b.size() % 4) b.push_back(0);
      SetU32(b, EntryAt(i), tags_[i].first);
      SetU32(b, EntryAt(i) + 4, uint32_t(b.size()));
      SetU32(b, EntryAt(i) + 8, uint32_t(tags_[i].second.size()));
      b.insert(b.end(), tags_[i].second.begin(), tags_[i].second.end());
    }
    SetU32(b, 0, uint32_t(b.size()));
    return b;
  }

  // The colorant columns red, green, blue (s15.16) of a matrix/curve RGB profile and
  // `curveTag` for all three channels; the tag `leaveOut` (if any) is not written.
  TestProfile& MatrixCurveTags(const int32_t colorants[3][3], const Bytes& curveTag, uint32_t leaveOut = 0) {
    const uint32_t tags[6] = {kIccTagRedColorant, kIccTagGreenColorant, kIccTagBlueColorant,
                              kIccTagRedCurve,    kIccTagGreenCurve,    kIccTagBlueCurve};
    for (int i = 0; i < 6; ++i) {
      if (tags[i] != leaveOut) Tag(tags[i], i < 3 ? XyzTag(colorants[i][0], colorants[i][1], colorants[i][2]) : curveTag);
    }
    return *this;
  }

  ProfilePtr Open() const { return OpenBytes(Build()); }
  static ProfilePtr OpenBytes(const Bytes& b) { return ProfilePtr(IccOpenProfileFromMem(b.data(), b.size())); }

  static size_t EntryAt(size_t index) { return 132 + 12 * index; }

 private:
  std::vector<std::pair<uint32_t, Bytes>> tags_;
};

// A table profile with the given A2B0 and B2A0 tags (an empty tag is left out).
inline Bytes TableProfile(uint32_t space, uint32_t pcs, const Bytes& a2b0, const Bytes& b2a0,
                          const int32_t* illuminant = nullptr) {
  TestProfile p;
  p.deviceClass = kIccClassColorSpace;
  p.colorSpace = space;
  p.connectionSpace = pcs;
  if (illuminant != nullptr) std::copy(illuminant, illuminant + 3, p.illuminant);
  if (!a2b0.empty()) p.Tag(kIccTagAToB0, a2b0);
  if (!b2a0.empty()) p.Tag(kIccTagBToA0, b2a0);
  return p.Build();
}

// A Lab colour-space profile of pass-through tables.
inline Bytes LabIdentityProfile() { return TableProfile(kIccSpaceLab, kIccSpaceLab, IdentityLutTag(), IdentityLutTag()); }

// A matrix/curve RGB profile (see TestProfile::MatrixCurveTags).
inline Bytes MatrixCurveProfile(const int32_t colorants[3][3], const Bytes& curveTag, uint32_t leaveOut = 0) {
  return TestProfile().MatrixCurveTags(colorants, curveTag, leaveOut).Build();
}

// Colorants of the common video primaries (D50) and of a wider set.
constexpr int32_t kVideoColorants[3][3] = {{28574, 14581, 912}, {25239, 46983, 6362}, {9377, 3972, 46787}};
constexpr int32_t kWideColorants[3][3] = {{39960, 20389, 1276}, {13453, 41004, 3989}, {9777, 4143, 48796}};

inline std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

// The bytes of the built-in profile of `format`, written to a temporary file.
inline std::string BuiltinProfileFile(uint32_t format, const std::string& name) {
  platform::ResourceBytes r{};
  EXPECT_EQ(platform::FindLibraryResource("ICM", IccBuiltinProfileId(format), &r), platform::kErrorSuccess);
  return WriteTempFile(name, Bytes(r.data, r.data + r.size));
}

// Runs `attempt` (true on success) with each allocation failing in turn, from the
// first; returns how many failed before one run needed no more.
template <typename Attempt>
int FailuresUntilSuccess(Attempt attempt) {
  for (long n = 0;; ++n) {
    SetAllocationFailure(n);
    const bool done = attempt();
    SetAllocationFailure(-1);
    if (done) return int(n);
  }
}

inline CurvePtr MakeCurve(const std::vector<uint16_t>& entries) {
  CurvePtr curve(AllocGammaCurve(int32_t(entries.size())));
  std::copy(entries.begin(), entries.end(), curve->entries);
  return curve;
}

// entry i = round(65535 x (i / (count - 1))^gamma)
inline std::vector<uint16_t> GammaEntries(int32_t count, double gamma) {
  std::vector<uint16_t> e(count);
  for (int32_t i = 0; i < count; ++i) e[i] = uint16_t(std::pow(double(i) / (count - 1), gamma) * 65535 + 0.5);
  return e;
}

// A transform between the built-in profiles (a test failure if none).
inline TransformPtr BuildBuiltin(uint32_t in, uint32_t out, unsigned temperature = 50) {
  int32_t status = 0;
  TransformPtr t(IccCreateTransformByTemperature(in, out, temperature, 0, nullptr, nullptr, &status));
  EXPECT_EQ(status, CLR_OK) << std::hex << in << " -> " << out;
  return t;
}

inline TransformPtr BuildFromBytes(const Bytes& in, uint32_t inFormat, const Bytes& out, uint32_t outFormat,
                                   int32_t* status) {
  return TransformPtr(IccCreateTransform(ProfilePtr(IccOpenProfileFromMem(in.data(), in.size())), inFormat,
                                         ProfilePtr(IccOpenProfileFromMem(out.data(), out.size())), outFormat,
                                         kD50White, status));
}

// Converts the pixels of `in`, packed in the transform's input format.
inline std::vector<uint8_t> Convert(const ColorTransform& t, const std::vector<uint8_t>& in) {
  const size_t pixels = in.size() / (FormatBytes(t.inputFormat) * FormatChannels(t.inputFormat));
  std::vector<uint8_t> out(pixels * FormatBytes(t.outputFormat) * FormatChannels(t.outputFormat));
  EXPECT_EQ(IccApplyTransform(&t, in.data(), out.data(), int32_t(pixels)), CLR_OK);
  return out;
}

// Every colour of a cube of `lo`..`hi` in `step`s, as RGB bytes.
inline std::vector<uint8_t> RgbGrid(int lo, int hi, int step) {
  std::vector<uint8_t> rgb;
  for (int r = lo; r <= hi; r += step)
    for (int g = lo; g <= hi; g += step)
      for (int b = lo; b <= hi; b += step) rgb.insert(rgb.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
  return rgb;
}

}  // namespace qclr::test
