// Helpers of the transform tests: an owning pointer, builds between the built-in
// profiles, the built-in profiles written out as files, whole-buffer conversions
// and small profiles made to order.
#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "icc/color_transform.h"
#include "platform/platform.h"
#include "qclr/qclr.h"
#include "test_profile_builder.h"

namespace qclr::test {

struct TransformDeleter {
  void operator()(ColorTransform* t) const { IccDeleteTransform(t); }
};
using TransformPtr = std::unique_ptr<ColorTransform, TransformDeleter>;

inline size_t PixelBytes(uint32_t format) { return FormatBytes(format) * FormatChannels(format); }

// A transform between the built-in profiles for the two formats (null, with a
// test failure, when it does not build).
inline TransformPtr BuildBuiltin(uint32_t in, uint32_t out, unsigned temperature = 50) {
  int32_t status = 0;
  TransformPtr t(IccCreateTransformByTemperature(in, out, temperature, 0, nullptr, nullptr, &status));
  EXPECT_EQ(status, CLR_OK) << std::hex << in << " -> " << out;
  return t;
}

// A transform between two profiles given as bytes.
inline TransformPtr BuildFromBytes(const Bytes& in, uint32_t inFormat, const Bytes& out, uint32_t outFormat,
                                   int32_t* status, const XyzTriple& white = kD50White) {
  return TransformPtr(IccCreateTransform(IccOpenProfileFromMem(in.data(), in.size()), inFormat,
                                         IccOpenProfileFromMem(out.data(), out.size()), outFormat, white,
                                         status));
}

// Converts the pixels of `in` (packed in the transform's input format).
inline std::vector<uint8_t> Convert(const ColorTransform& t, const std::vector<uint8_t>& in) {
  const size_t pixels = in.size() / PixelBytes(t.inputFormat);
  std::vector<uint8_t> out(pixels * PixelBytes(t.outputFormat));
  EXPECT_EQ(IccApplyTransform(&t, in.data(), out.data(), static_cast<int32_t>(pixels)), CLR_OK);
  return out;
}

// Bytes that differ between two buffers of the same size (all of `a` if not).
inline size_t CountDifferences(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return a.size();
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

inline std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

inline Bytes BuiltinProfileBytes(uint32_t format) {
  platform::ResourceBytes r{};
  EXPECT_EQ(platform::FindLibraryResource("ICM", IccBuiltinProfileId(format), &r), platform::kErrorSuccess);
  return Bytes(r.data, r.data + r.size);
}

// The built-in profile for `format`, as a profile file.
inline std::string BuiltinProfileFile(uint32_t format, const std::string& name) {
  return WriteTempFile(name, BuiltinProfileBytes(format));
}

// A 16-bit lookup table tag of `inputs` x `outputs` channels with two-entry
// identity curves and a grid of two points per side whose node values come from
// `node(indices as a bit mask, output)`.
template <typename NodeValue>
Bytes TwoPointLutTag(uint32_t inputs, uint32_t outputs, NodeValue node) {
  TestLut lut;
  lut.inputs = inputs;
  lut.outputs = outputs;
  for (uint32_t c = 0; c < inputs; ++c) lut.values.insert(lut.values.end(), {0, 65535});
  for (uint32_t n = 0; n < (1u << inputs); ++n) {
    // The first input varies slowest: it is the highest bit of the node number.
    for (uint32_t k = 0; k < outputs; ++k) lut.values.push_back(node(n, k));
  }
  for (uint32_t c = 0; c < outputs; ++c) lut.values.insert(lut.values.end(), {0, 65535});
  return LutTag(lut);
}

// A table profile of data space `space` and connection space `pcs` with the given
// A2B0 and B2A0 tags (an empty tag is left out).
inline Bytes TableProfile(uint32_t space, uint32_t pcs, const Bytes& a2b0, const Bytes& b2a0,
                          const int32_t illuminant[3] = nullptr) {
  TestProfile p;
  p.deviceClass = kIccClassColorSpace;
  p.colorSpace = space;
  p.connectionSpace = pcs;
  if (illuminant != nullptr) std::copy(illuminant, illuminant + 3, p.illuminant);
  if (!a2b0.empty()) p.Tag(kIccTagAToB0, a2b0);
  if (!b2a0.empty()) p.Tag(kIccTagBToA0, b2a0);
  return p.Build();
}

// A matrix/curve RGB profile: colorant columns red, green, blue (s15.16) and one
// curve tag for all three channels; the tag `leaveOut` (if any) is not written.
inline Bytes MatrixCurveProfile(const int32_t colorants[3][3], const Bytes& curveTag, uint32_t leaveOut = 0) {
  TestProfile p;
  const uint32_t tags[3] = {kIccTagRedColorant, kIccTagGreenColorant, kIccTagBlueColorant};
  for (int c = 0; c < 3; ++c) {
    if (tags[c] != leaveOut) p.Tag(tags[c], XyzTag(colorants[c][0], colorants[c][1], colorants[c][2]));
  }
  for (uint32_t curve : {kIccTagRedCurve, kIccTagGreenCurve, kIccTagBlueCurve}) {
    if (curve != leaveOut) p.Tag(curve, curveTag);
  }
  return p.Build();
}

// A 'curv' tag of one u8Fixed8 gamma.
inline Bytes GammaTag(uint16_t gamma8Fixed8) {
  Bytes b = TagHead(kIccTypeCurve);
  PutU32(b, 1);
  PutU16(b, gamma8Fixed8);
  return b;
}

}  // namespace qclr::test
