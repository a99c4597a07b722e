#include <set>
#include <string>

#include <gtest/gtest.h>

#include "api/memory.h"
#include "icc/color_transform.h"
#include "transform_test_support.h"

namespace qclr {
namespace {

using test::Bytes;
using test::TransformPtr;

constexpr uint32_t kTwoChannels8 = 0x40011;  // no unpacker or packer

TEST(TransformBuild, EntryPointStatuses) {
  const std::string rgb = test::BuiltinProfileFile(kFormatRgb8, "status_rgb.icc");
  const std::string cmyk = test::BuiltinProfileFile(kFormatCmyk8, "status_cmyk.icc");
  const std::string lab = test::BuiltinProfileFile(kFormatLab8, "status_lab.icc");
  const std::string notProfile = test::WriteTempFile("status_zeros.icc", Bytes(300, 0));
  const std::string missing = ::testing::TempDir() + "status_no_such_file.icc";
  struct Case {
    const char* what;
    bool byWhitePoint;
    uint32_t in, out;
    int32_t useFiles;
    const char* inPath;
    const char* outPath;
    int32_t status;
  };
  const Case cases[] = {
      {"equal formats by white point", true, kFormatRgb8, kFormatRgb8, 0, nullptr, nullptr, CLR_ERR_COLORSPACE},
      // Compared before any file is opened.
      {"equal formats by white point, files", true, kFormatRgb8, kFormatRgb8, 1, missing.c_str(), missing.c_str(),
       CLR_ERR_COLORSPACE},
      {"equal formats by temperature", false, kFormatRgb8, kFormatRgb8, 0, nullptr, nullptr, CLR_OK},
      {"RGB to BGR by white point", true, kFormatRgb8, kFormatBgr8, 0, nullptr, nullptr, CLR_OK},
      {"no built-in profile for the input", false, kFormat3x16, kFormatRgb8, 0, nullptr, nullptr,
       CLR_ERR_COLORSPACE},
      {"no built-in profile for the output", true, kFormatRgb8, kTwoChannels8, 0, nullptr, nullptr,
       CLR_ERR_COLORSPACE},
      {"format without a packer, files", false, kFormatRgb8, kTwoChannels8, 1, rgb.c_str(), rgb.c_str(),
       CLR_ERR_COLORSPACE},
      {"missing input file", false, kFormatRgb8, kFormatCmyk8, 1, missing.c_str(), cmyk.c_str(),
       CLR_ERR_PROFILE_OPEN},
      {"missing output file", true, kFormatRgb8, kFormatCmyk8, 1, rgb.c_str(), missing.c_str(),
       CLR_ERR_PROFILE_OPEN},
      {"no path", false, kFormatRgb8, kFormatCmyk8, 1, nullptr, cmyk.c_str(), CLR_ERR_PROFILE_OPEN},
      {"not a profile", false, kFormatRgb8, kFormatCmyk8, 1, rgb.c_str(), notProfile.c_str(),
       CLR_ERR_PROFILE_OPEN},
      {"CMYK profile for the RGB format", false, kFormatRgb8, kFormatCmyk8, 1, cmyk.c_str(), cmyk.c_str(),
       CLR_ERR_PROFILE_MISMATCH},
      {"RGB profile for the CMYK format", false, kFormatRgb8, kFormatCmyk8, 1, rgb.c_str(), rgb.c_str(),
       CLR_ERR_PROFILE_MISMATCH},
      {"Lab profile for the BGR format", true, kFormatBgr8, kFormatLab8, 1, lab.c_str(), lab.c_str(),
       CLR_ERR_PROFILE_MISMATCH},
      {"BGR format with an RGB profile", false, kFormatBgr8, kFormatCmyk8, 1, rgb.c_str(), cmyk.c_str(), CLR_OK},
      {"Lab to BGR from files", true, kFormatLab8, kFormatBgr8, 1, lab.c_str(), rgb.c_str(), CLR_OK},
  };
  for (const Case& c : cases) {
    int32_t status = -12345;
    TransformPtr t(c.byWhitePoint ? IccCreateTransformByWhitePoint(c.in, c.out, 0.3127, 0.3290, c.useFiles,
                                                                     c.inPath, c.outPath, &status)
                                  : IccCreateTransformByTemperature(c.in, c.out, 65, c.useFiles, c.inPath,
                                                                    c.outPath, &status));
    EXPECT_EQ(status, c.status) << c.what;
    EXPECT_EQ(t != nullptr, c.status == CLR_OK) << c.what;
  }
}

// Which conversion each pair of built-in profiles gets: the joined stage for RGB to
// RGB, else a device link sampled on 33 points (3 inputs) or 16 (4 inputs), with
// the stage the two connection spaces call for.
TEST(TransformBuild, ShapeOfTheBuiltInTransforms) {
  struct Case {
    uint32_t in, out;
    bool joined;
    int32_t points, inputs, outputs;
    StageKind stage;
  };
  const Case cases[] = {
      {kFormatRgb8, kFormatBgr8, true, 0, 0, 0, StageKind::kNone},
      {kFormatBgr8, kFormatBgr8, true, 0, 0, 0, StageKind::kNone},
      {kFormatRgb8, kFormatCmyk8, false, 33, 3, 4, StageKind::kXyzToLab},
      {kFormatCmyk8, kFormatBgr8, false, 16, 4, 3, StageKind::kLabToXyz},
      {kFormatCmyk8, kFormatCmyk8, false, 16, 4, 4, StageKind::kNone},
      {kFormatCmy8, kFormatLab8, false, 33, 3, 3, StageKind::kNone},
      {kFormatLab8, kFormatRgb8, false, 33, 3, 3, StageKind::kLabToXyz},
  };
  for (const Case& c : cases) {
    const TransformPtr t = test::BuildBuiltin(c.in, c.out);
    ASSERT_NE(t, nullptr);
    const std::string what = std::to_string(c.in) + " -> " + std::to_string(c.out);
    EXPECT_EQ(t->joinedShaper != nullptr, c.joined) << what;
    EXPECT_EQ(t->deviceLink == nullptr, c.joined) << what;
    if (c.joined) {
      EXPECT_EQ(t->inputPhase, kPhaseXyzRelative);
      EXPECT_EQ(t->outputPhase, kPhaseXyzRelative);
      EXPECT_EQ(t->inputShaper, nullptr);
      EXPECT_EQ(t->outputShaper, nullptr);
      continue;
    }
    EXPECT_EQ(t->deviceLink->flags, LUT_GRID) << what;
    EXPECT_EQ(t->deviceLink->gridPoints, c.points) << what;
    EXPECT_EQ(t->deviceLink->inputChannels, c.inputs) << what;
    EXPECT_EQ(t->deviceLink->outputChannels, c.outputs) << what;
    EXPECT_EQ(t->stage, c.stage) << what;
  }
}

// The target white reaches the stage only where the input side delivers relative
// XYZ and the output side takes Lab; the display profile's header illuminant is
// (0.964202880859375, 1.0, 0.8249053955078125).
TEST(TransformBuild, TargetWhiteReachesTheStage) {
  struct Case {
    uint32_t in, out;
    unsigned temperature;
    int32_t scale[3];
  };
  const Case cases[] = {
      {kFormatRgb8, kFormatCmyk8, 50, {65542, 65536, 65552}},
      {kFormatRgb8, kFormatLab8, 65, {64582, 65536, 86410}},
      {kFormatBgr8, kFormatCmy8, 93, {64774, 65536, 112238}},
      {kFormatLab8, kFormatRgb8, 50, {65530, 65536, 65520}},
  };
  for (const Case& c : cases) {
    const TransformPtr t = test::BuildBuiltin(c.in, c.out, c.temperature);
    ASSERT_NE(t, nullptr);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(t->stageScale[i], c.scale[i]) << c.temperature << " channel " << i;
  }
  // By chromaticity: the D65 pair gives the D65 preset's white to within the
  // rounding of the tabled values.
  int32_t status = 0;
  const TransformPtr d65(IccCreateTransformByWhitePoint(kFormatRgb8, kFormatLab8, 0.31278, 0.32918, 0, nullptr,
                                                         nullptr, &status));
  ASSERT_NE(d65, nullptr);
  EXPECT_NEAR(d65->stageScale[0], 64582, 2);
  EXPECT_NEAR(d65->stageScale[2], 86410, 2);
}

// Profiles that open but do not make a transform, built through IccCreateTransform.
TEST(TransformBuild, ProfilesThatDoNotMakeATransform) {
  const auto identity = [](uint32_t n, uint32_t k) -> uint16_t { return (n >> (2 - k)) & 1 ? 65535 : 0; };
  const Bytes lab3to3 = test::TwoPointLutTag(3, 3, identity);
  const Bytes lab4to3 = test::TwoPointLutTag(4, 3, [](uint32_t, uint32_t) -> uint16_t { return 0x8000; });
  const Bytes lab3to4 = test::TwoPointLutTag(3, 4, [](uint32_t, uint32_t) -> uint16_t { return 0x8000; });
  const Bytes truncated(lab3to3.begin(), lab3to3.begin() + 60);
  const Bytes labProfile = test::TableProfile(kIccSpaceLab, kIccSpaceLab, lab3to3, lab3to3);
  const int32_t srgb[3][3] = {{28574, 14581, 912}, {25239, 46983, 6362}, {9377, 3972, 46787}};
  const int32_t singular[3][3] = {{28574, 14581, 912}, {28574, 14581, 912}, {9377, 3972, 46787}};
  const Bytes gamma = test::GammaTag(0x0233);
  struct Case {
    const char* what;
    Bytes in;
    uint32_t inFormat;
    Bytes out;
    uint32_t outFormat;
  };
  const Case cases[] = {
      {"A2B0 of four inputs for three channels", test::TableProfile(kIccSpaceLab, kIccSpaceLab, lab4to3, {}),
       kFormatLab8, labProfile, kFormatLab8},
      {"A2B0 of four outputs", test::TableProfile(kIccSpaceLab, kIccSpaceLab, lab3to4, {}), kFormatLab8,
       labProfile, kFormatLab8},
      {"B2A0 of four outputs for three channels", labProfile, kFormatLab8,
       test::TableProfile(kIccSpaceLab, kIccSpaceLab, {}, lab3to4), kFormatLab8},
      {"A2B0 cut short", test::TableProfile(kIccSpaceLab, kIccSpaceLab, truncated, {}), kFormatLab8, labProfile,
       kFormatLab8},
      {"output colorant missing", labProfile, kFormatLab8, test::MatrixCurveProfile(srgb, gamma, kIccTagBlueColorant),
       kFormatRgb8},
      {"input curve missing", test::MatrixCurveProfile(srgb, gamma, kIccTagGreenCurve), kFormatRgb8, labProfile,
       kFormatLab8},
      {"singular output colorants", labProfile, kFormatLab8, test::MatrixCurveProfile(singular, gamma), kFormatRgb8},
      {"joined stage, singular output colorants", test::MatrixCurveProfile(srgb, gamma), kFormatRgb8,
       test::MatrixCurveProfile(singular, gamma), kFormatBgr8},
      {"matrix/curve input for four channels", test::MatrixCurveProfile(srgb, gamma), kFormat4x16, labProfile,
       kFormatLab8},
  };
  for (const Case& c : cases) {
    int32_t status = 0;
    const TransformPtr t = test::BuildFromBytes(c.in, c.inFormat, c.out, c.outFormat, &status);
    EXPECT_EQ(t, nullptr) << c.what;
    EXPECT_EQ(status, CLR_ERR_PROFILE_MISMATCH) << c.what;
  }
  // The same profiles in working pairs do build.
  int32_t status = 0;
  EXPECT_NE(test::BuildFromBytes(labProfile, kFormatLab8, labProfile, kFormat3x16, &status), nullptr);
  EXPECT_NE(test::BuildFromBytes(test::MatrixCurveProfile(srgb, gamma), kFormatRgb8, labProfile, kFormatLab8,
                                 &status),
            nullptr);
}

// Every allocation of a build may fail: the build reports it and releases what it
// had, both profiles included (the sanitizer build checks for leaks).
TEST(TransformBuild, FailsCleanlyAtEveryAllocation) {
  const std::string rgb = test::BuiltinProfileFile(kFormatRgb8, "alloc_rgb.icc");
  const std::string cmy = test::BuiltinProfileFile(kFormatCmy8, "alloc_cmy.icc");
  struct Case {
    uint32_t in, out;
    int32_t useFiles;
  };
  const Case cases[] = {
      {kFormatRgb8, kFormatBgr8, 0}, {kFormatCmy8, kFormatRgb8, 0}, {kFormatRgb8, kFormatCmy8, 1}};
  for (const Case& c : cases) {
    std::multiset<int32_t> statuses;
    for (long n = 0;; ++n) {
      int32_t status = 0;
      SetAllocationFailure(n);
      TransformPtr t(IccCreateTransformByTemperature(c.in, c.out, 50, c.useFiles, rgb.c_str(), cmy.c_str(), &status));
      SetAllocationFailure(-1);
      if (status == CLR_OK) {
        EXPECT_NE(t, nullptr);
        break;
      }
      EXPECT_EQ(t, nullptr);
      statuses.insert(status);
      ASSERT_LT(n, 200) << "the build never succeeds";
    }
    // Each profile opens with three allocations; then the record, then the rest.
    EXPECT_EQ(statuses.count(CLR_ERR_PROFILE_OPEN), 6u) << c.in;
    EXPECT_EQ(statuses.count(CLR_ERR_NOMEM), 1u) << c.in;
    EXPECT_GT(statuses.count(CLR_ERR_PROFILE_MISMATCH), 0u) << c.in;
    EXPECT_EQ(statuses.size(), 7 + statuses.count(CLR_ERR_PROFILE_MISMATCH)) << c.in;
  }
}

}  // namespace
}  // namespace qclr
