// Building transforms (statuses, shapes, stages, failures) and applying them.

#include "icc_test_support.h"

namespace qclr {
namespace {

using namespace test;

constexpr uint32_t kTwoChannels8 = 0x40011;  // no unpacker or packer

TEST(TransformBuild, EntryPointStatuses) {
  const std::string rgb = BuiltinProfileFile(kFormatRgb8, "status_rgb.icc"),
                    cmyk = BuiltinProfileFile(kFormatCmyk8, "status_cmyk.icc"),
                    lab = BuiltinProfileFile(kFormatLab8, "status_lab.icc");
  const std::string zeros = test::WriteTempFile("status_zeros.icc", Bytes(300, 0)),
                    missing = ::testing::TempDir() + "status_no_such_file.icc";
  const char *r = rgb.c_str(), *k = cmyk.c_str(), *l = lab.c_str(), *z = zeros.c_str(), *m = missing.c_str();
  // by white point (else temperature), formats, profile files (if either is given), status
  const std::tuple<const char*, bool, uint32_t, uint32_t, const char*, const char*, int32_t> cases[] = {
      {"equal formats by white point", true, kFormatRgb8, kFormatRgb8, nullptr, nullptr, CLR_ERR_COLORSPACE},
      {"equal formats, compared before the files", true, kFormatRgb8, kFormatRgb8, m, m, CLR_ERR_COLORSPACE},
      {"equal formats by temperature", false, kFormatRgb8, kFormatRgb8, nullptr, nullptr, CLR_OK},
      {"RGB to BGR by white point", true, kFormatRgb8, kFormatBgr8, nullptr, nullptr, CLR_OK},
      {"no built-in profile for the input", false, kFormat3x16, kFormatRgb8, nullptr, nullptr, CLR_ERR_COLORSPACE},
      {"no built-in profile for the output", true, kFormatRgb8, kTwoChannels8, nullptr, nullptr, CLR_ERR_COLORSPACE},
      {"format without a packer, files", false, kFormatRgb8, kTwoChannels8, r, r, CLR_ERR_COLORSPACE},
      {"missing input file", false, kFormatRgb8, kFormatCmyk8, m, k, CLR_ERR_PROFILE_OPEN},
      {"missing output file", true, kFormatRgb8, kFormatCmyk8, r, m, CLR_ERR_PROFILE_OPEN},
      {"no path", false, kFormatRgb8, kFormatCmyk8, nullptr, k, CLR_ERR_PROFILE_OPEN},
      {"not a profile", false, kFormatRgb8, kFormatCmyk8, r, z, CLR_ERR_PROFILE_OPEN},
      {"CMYK profile for the RGB format", false, kFormatRgb8, kFormatCmyk8, k, k, CLR_ERR_PROFILE_MISMATCH},
      {"RGB profile for the CMYK format", false, kFormatRgb8, kFormatCmyk8, r, r, CLR_ERR_PROFILE_MISMATCH},
      {"Lab profile for the BGR format", true, kFormatBgr8, kFormatLab8, l, l, CLR_ERR_PROFILE_MISMATCH},
      {"BGR format with an RGB profile", false, kFormatBgr8, kFormatCmyk8, r, k, CLR_OK},
      {"Lab to BGR from files", true, kFormatLab8, kFormatBgr8, l, r, CLR_OK},
  };
  for (const auto& [what, byWhitePoint, in, out, inPath, outPath, expected] : cases) {
    const int32_t files = inPath != nullptr || outPath != nullptr;
    int32_t status = -12345;
    const char *i = inPath, *o = outPath;
    TransformPtr t(byWhitePoint ? IccCreateTransformByWhitePoint(in, out, 0.3127, 0.3290, files, i, o, &status)
                                : IccCreateTransformByTemperature(in, out, 65, files, i, o, &status));
    EXPECT_EQ(status, expected) << what;
    EXPECT_EQ(t != nullptr, expected == CLR_OK) << what;
  }
}

// Which conversion each pair of built-in profiles gets: the joined stage for RGB to
// RGB, else a device link of 33 points (3 inputs) or 16 (4 inputs) with the stage
// the connection spaces call for. The target white (D50 below 50 or at 60) reaches
// the scale only from the display's XYZ to a Lab connection space.
TEST(TransformBuild, ShapeAndStageOfTheBuiltInTransforms) {
  struct Case {
    uint32_t in, out, temperature;
    int32_t points, inputs, outputs;  // points 0: joined
    StageKind stage;
    int32_t scale[3];
  };
  const Case cases[] = {
      {kFormatBgr8, kFormatBgr8, 50, 0, 0, 0, StageKind::kNone, {}},
      {kFormatRgb8, kFormatCmyk8, 60, 33, 3, 4, StageKind::kXyzToLab, {65542, 65536, 65552}},
      {kFormatBgr8, kFormatCmy8, 55, 33, 3, 3, StageKind::kXyzToLab, {65015, 65536, 73112}},
      {kFormatRgb8, kFormatLab8, 65, 33, 3, 3, StageKind::kXyzToLab, {64582, 65536, 86410}},
      {kFormatBgr8, kFormatCmyk8, 93, 33, 3, 4, StageKind::kXyzToLab, {64774, 65536, 112238}},
      {kFormatCmyk8, kFormatBgr8, 93, 16, 4, 3, StageKind::kLabToXyz, {65530, 65536, 65520}},
      {kFormatLab8, kFormatRgb8, 65, 33, 3, 3, StageKind::kLabToXyz, {65530, 65536, 65520}},
      {kFormatCmyk8, kFormatCmyk8, 50, 16, 4, 4, StageKind::kNone, {}},
      {kFormatCmy8, kFormatLab8, 50, 33, 3, 3, StageKind::kNone, {}},
  };
  for (const Case& c : cases) {
    const TransformPtr t = test::BuildBuiltin(c.in, c.out, c.temperature);
    ASSERT_NE(t, nullptr);
    SCOPED_TRACE(testing::Message() << std::hex << c.in << " -> " << c.out);
    EXPECT_EQ(t->joinedShaper != nullptr, c.points == 0);
    EXPECT_EQ(t->deviceLink == nullptr, c.points == 0);
    if (c.points == 0) continue;
    const LutTable& link = *t->deviceLink;
    EXPECT_EQ(std::vector<int64_t>({link.flags, link.gridPoints, link.inputChannels, link.outputChannels}),
              std::vector<int64_t>({LUT_GRID, c.points, c.inputs, c.outputs}));
    EXPECT_EQ(t->stage, c.stage);
    if (c.stage != StageKind::kNone) {
      EXPECT_EQ(std::vector<int32_t>(t->stageScale, t->stageScale + 3), std::vector<int32_t>(c.scale, c.scale + 3));
    }
  }
}

// `profile` with directory entry `index` pointing at `offset` and `size`.
Bytes WithEntry(Bytes profile, size_t index, uint32_t offset, uint32_t size) {
  test::SetU32(profile, TestProfile::EntryAt(index) + 4, offset);
  test::SetU32(profile, TestProfile::EntryAt(index) + 8, size);
  return profile;
}

uint32_t EntryOffset(const Bytes& profile, size_t index) { return GetU32(profile, TestProfile::EntryAt(index) + 4); }

// A Lab table profile (A2B0 entry 0, B2A0 entry 1, white point entry 2) and a
// matrix/curve RGB profile (rXYZ, gXYZ, bXYZ, rTRC, gTRC, bTRC entries 0 to 5).
Bytes LabTableProfile(uint32_t pcs = kIccSpaceLab) {
  TestProfile p;
  p.deviceClass = kIccClassColorSpace, p.colorSpace = kIccSpaceLab, p.connectionSpace = pcs;
  return p.Tag(kIccTagAToB0, IdentityLutTag())
      .Tag(kIccTagBToA0, IdentityLutTag())
      .Tag(kIccTagMediaWhite, test::XyzTag(0xF6D6, 0x10000, 0xD32D))
      .Build();
}
Bytes VideoProfile() { return test::MatrixCurveProfile(test::kVideoColorants, test::CurveTag(test::GammaEntries(64, 2.2))); }

// A used tag must hold its content within its declared size, lie behind the header
// and the tag directory, and the connection space must be XYZ or Lab: otherwise
// the profile does not make a transform. (Each of these once built.) Profiles that
// one side alone refuses are the profile check's cases.
TEST(TransformBuild, RefusesStructurallyBrokenProfiles) {
  const Bytes lab = LabTableProfile(), video = VideoProfile();
  const int32_t singular[3][3] = {{28574, 14581, 912}, {28574, 14581, 912}, {9377, 3972, 46787}};
  Bytes colorantInHeader = video;  // rXYZ copied into the header's reserved bytes
  std::copy_n(video.begin() + EntryOffset(video, 0), 20, colorantInHeader.begin() + 100);
  colorantInHeader = WithEntry(colorantInHeader, 0, 100, 20);
  // gTRC read from the directory's last entry: an unknown tag named 'curv' whose
  // offset and size fields read as the curve's reserved word and a count of 1, the
  // gamma then coming from the bytes after the directory.
  TestProfile withCurvEntry;
  for (uint32_t i = 0; i < 6; ++i) {
    const size_t at = TestProfile::EntryAt(i), offset = EntryOffset(video, i);
    withCurvEntry.Tag(GetU32(video, at), Bytes(video.begin() + ptrdiff_t(offset),
                                       video.begin() + ptrdiff_t(offset + (i < 3 ? 20 : 12 + 64 * 2))));
  }
  withCurvEntry.Tag(kIccTypeCurve, Bytes(4, 0));
  const Bytes curveOverDirectory =
      WithEntry(WithEntry(withCurvEntry.Build(), 6, 0, 1), 4, uint32_t(TestProfile::EntryAt(6)), 14);
  const size_t curveBytes = 12 + 64 * 2;
  const std::tuple<const char*, Bytes, uint32_t, Bytes, uint32_t> cases[] = {
      {"B2A0 declared 12 bytes", video, kFormatRgb8, WithEntry(lab, 1, EntryOffset(lab, 1), 12), kFormatLab8},
      {"A2B0 of size 0", WithEntry(lab, 0, EntryOffset(lab, 0), 0), kFormatLab8, video, kFormatRgb8},
      {"rTRC of size 0", WithEntry(video, 3, EntryOffset(video, 3), 0), kFormatRgb8, lab, kFormatLab8},
      {"gTRC one entry short", WithEntry(video, 4, EntryOffset(video, 4), uint32_t(curveBytes - 2)), kFormatRgb8,
       lab, kFormatLab8},
      {"joined stage, bXYZ declared 19 bytes", video, kFormatRgb8, WithEntry(video, 2, EntryOffset(video, 2), 19),
       kFormatBgr8},
      {"joined stage, singular output colorants", video, kFormatRgb8,
       test::MatrixCurveProfile(singular, test::CurveTag({0x0233})), kFormatBgr8},
      {"rXYZ in the header", colorantInHeader, kFormatRgb8, lab, kFormatLab8},
      {"gTRC over the directory", curveOverDirectory, kFormatRgb8, lab, kFormatLab8},
      {"connection space RGB", LabTableProfile(kIccSpaceRgb), kFormatLab8, video, kFormatRgb8},
      {"output connection space 0", video, kFormatRgb8, LabTableProfile(0), kFormatLab8},
      {"white point cut to its head", WithEntry(lab, 2, EntryOffset(lab, 2), 8), kFormatLab8, video, kFormatRgb8},
      {"white point of size 0", video, kFormatRgb8, WithEntry(lab, 2, EntryOffset(lab, 2), 0), kFormatLab8},
  };
  for (const auto& [what, in, inFormat, out, outFormat] : cases) {
    int32_t status = 0;
    EXPECT_EQ(test::BuildFromBytes(in, inFormat, out, outFormat, &status), nullptr) << what;
    EXPECT_EQ(status, CLR_ERR_PROFILE_MISMATCH) << what;
  }
}

// What real profiles carry and the builder does not use changes nothing: unknown
// tags, duplicate and broken entries of unused tags, bytes after the profile, a
// white point of another type (D50 stands in for it).
TEST(TransformBuild, AcceptsTheSloppinessOfRealProfiles) {
  const Bytes rgb = RgbGrid(0, 255, 51);
  for (const bool table : {true, false}) {
    SCOPED_TRACE(table ? "Lab table profile" : "matrix/curve profile");
    const Bytes clean = table ? LabTableProfile() : VideoProfile();
    TestProfile sloppy;
    sloppy.deviceClass = table ? kIccClassColorSpace : kIccClassDisplay;
    sloppy.colorSpace = table ? kIccSpaceLab : kIccSpaceRgb;
    sloppy.connectionSpace = table ? kIccSpaceLab : kIccSpaceXyz;
    const size_t used = table ? 3 : 6;
    const size_t directory = TestProfile::EntryAt(0);
    for (size_t i = 0; i < used; ++i) {  // the same used tags, first
      const size_t at = directory + 12 * i;
      const uint32_t offset = EntryOffset(clean, i);
      sloppy.Tag(GetU32(clean, at), Bytes(clean.begin() + offset, clean.begin() + offset + GetU32(clean, at + 8)));
    }
    if (!table) sloppy.Tag(kIccTagMediaWhite, test::CurveTag({1, 2, 3}));
    sloppy.Tag(IccSignature("zzzz"), Bytes(37, 0xEE))
        .Tag(kIccTagDescription, test::TagHead(kIccTypeDescription))
        .Tag(kIccTagDescription, Bytes(3, 0))
        .Tag(kIccTagCopyright, test::TagHead(kIccTypeText))
        .Tag(kIccTagMediaWhite, test::XyzTag(1, 1, 1));  // the first entry decides
    Bytes bytes = sloppy.Build();
    const size_t first = used + (table ? 0 : 1);
    bytes = WithEntry(bytes, first + 1, 0xFFFFFF00u, 100);     // duplicate desc outside the profile
    bytes = WithEntry(bytes, first + 2, 20, 0);                // another over the header, of size 0
    bytes = WithEntry(bytes, first + 3, uint32_t(directory), 40);  // cprt over the directory
    bytes.resize(bytes.size() + 333, 0x55);                    // more bytes than the header declares
    const Bytes other = table ? VideoProfile() : LabTableProfile();
    const uint32_t format = table ? kFormatLab8 : kFormatRgb8, otherFormat = table ? kFormatRgb8 : kFormatLab8;
    int32_t status = 0;
    const TransformPtr expected = test::BuildFromBytes(clean, format, other, otherFormat, &status);
    ASSERT_NE(expected, nullptr);
    const TransformPtr t = test::BuildFromBytes(bytes, format, other, otherFormat, &status);
    ASSERT_NE(t, nullptr);
    const Bytes input = table ? Convert(*test::BuildFromBytes(other, otherFormat, clean, format, &status), rgb) : rgb;
    EXPECT_EQ(Convert(*t, input), Convert(*expected, input));
  }
}

// Every allocation of a build may fail: the build reports it and releases what it
// had, both profiles included (the sanitizer build checks for leaks).
TEST(TransformBuild, FailsCleanlyAtEveryAllocation) {
  const std::string rgb = BuiltinProfileFile(kFormatRgb8, "alloc_rgb.icc"),
                    cmy = BuiltinProfileFile(kFormatCmy8, "alloc_cmy.icc");
  for (const auto& [in, out, useFiles] : {std::tuple{kFormatRgb8, kFormatBgr8, 0}, {kFormatRgb8, kFormatCmy8, 1}}) {
    std::multiset<int32_t> statuses;
    for (long n = 0;; ++n) {
      int32_t status = 0;
      SetAllocationFailure(n);
      TransformPtr t(IccCreateTransformByTemperature(in, out, 50, useFiles, rgb.c_str(), cmy.c_str(), &status));
      SetAllocationFailure(-1);
      EXPECT_EQ(t != nullptr, status == CLR_OK);
      if (status == CLR_OK) break;
      statuses.insert(status);
      ASSERT_LT(n, 200) << "the build never succeeds";
    }
    // Opening the profiles and building alike: every failed allocation is reported
    // as memory, none as a profile the engine cannot use (the two optional tables of
    // the fast device-link rows excepted, which do not fail the build).
    EXPECT_GT(statuses.size(), 7u) << out;
    EXPECT_EQ(statuses.count(CLR_ERR_NOMEM), statuses.size()) << out;
  }
}

std::vector<uint8_t> Reversed3(std::vector<uint8_t> v) {
  for (size_t i = 0; i + 2 < v.size(); i += 3) std::swap(v[i], v[i + 2]);
  return v;
}

// Joining the display profile with itself gives every byte back exactly (the
// matrix product is the identity, so the channels are independent).
TEST(JoinedTransform, SameProfileGivesTheInputBytesBack) {
  const TransformPtr toBgr = test::BuildBuiltin(kFormatRgb8, kFormatBgr8);
  const TransformPtr toRgb = test::BuildBuiltin(kFormatRgb8, kFormatRgb8);
  const TransformPtr bgrToRgb = test::BuildBuiltin(kFormatBgr8, kFormatRgb8);
  ASSERT_TRUE(toBgr && toRgb && bgrToRgb);
  EXPECT_EQ(toBgr->joinedShaper->flags & MATSHAPER_MATRIX, 0u);
  std::vector<uint8_t> rgb = test::RandomBytes(3 * 65536, 11);
  for (int v = 0; v < 256; ++v) rgb.insert(rgb.end(), {uint8_t(v), 0, 255, 255, uint8_t(v), 0, 0, 255, uint8_t(v)});
  EXPECT_EQ(test::Convert(*toBgr, rgb), Reversed3(rgb));
  EXPECT_EQ(test::Convert(*toRgb, rgb), rgb);
  EXPECT_EQ(test::Convert(*bgrToRgb, Reversed3(rgb)), rgb);
}

// From the video to the wider primaries (same gamma) the joined stage follows the
// profiles in doubles within two levels, and greys within one.
TEST(JoinedTransform, DifferentPrimariesFollowTheColorants) {
  const double gamma = 2.19921875;
  const Bytes tag = test::CurveTag({0x0233});
  Matrix3 video{}, wide{}, inverse{};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c)
      video.m[r][c] = test::kVideoColorants[c][r] / 65536.0, wide.m[r][c] = test::kWideColorants[c][r] / 65536.0;
  ASSERT_TRUE(InvertMatrix3(wide, &inverse));
  const Matrix3 product = MultiplyMatrix3(inverse, video);
  int32_t status = 0;
  const TransformPtr t = test::BuildFromBytes(test::MatrixCurveProfile(test::kVideoColorants, tag), kFormatRgb8,
                                              test::MatrixCurveProfile(test::kWideColorants, tag), kFormatRgb8,
                                              &status);
  ASSERT_TRUE(t && t->joinedShaper);
  const std::vector<uint8_t> cube = test::RgbGrid(0, 255, 15), out = test::Convert(*t, cube);
  for (size_t i = 0; i < cube.size(); i += 3) {
    double linear[3];
    for (int c = 0; c < 3; ++c) linear[c] = std::pow(cube[i + c] / 255.0, gamma);
    for (int r = 0; r < 3; ++r) {
      const double v = product.m[r][0] * linear[0] + product.m[r][1] * linear[1] + product.m[r][2] * linear[2];
      const bool grey = cube[i] == cube[i + 1] && cube[i] == cube[i + 2];
      ASSERT_NEAR(out[i + r], std::pow(std::clamp(v, 0.0, 1.0), 1 / gamma) * 255.0, grey ? 1.0 : 2.0) << i;
    }
  }
}

// A sampled transform holds the general pipeline at the node inputs floor(i x 65535
// / (n - 1)), the first input slowest. The pass-through Lab tables tell 2047 from 2048.
TEST(DeviceLink, NodesHoldThePipelineAtTheNodeInputs) {
  const Bytes lab = LabIdentityProfile();
  int32_t status = 0;
  const TransformPtr passThrough = test::BuildFromBytes(lab, kFormatLab8, lab, kFormatLab8, &status);
  ASSERT_NE(passThrough, nullptr);
  for (const auto& [node, input] : {std::pair{1, 2047}, {2, 4095}, {16, 32767}, {31, 63487}, {32, 65535}}) {
    uint16_t in[3] = {uint16_t(input), 0, 0}, out[4], below[4];
    RunGeneralPipeline(*passThrough, in, out);
    in[0] = uint16_t(input - 1);
    RunGeneralPipeline(*passThrough, in, below);
    EXPECT_NE(out[0], below[0]) << node;
    EXPECT_EQ(passThrough->deviceLink->grid[node * 3 * 33 * 33], out[0]) << node;  // the first input's node
  }
  const TransformPtr rgbToCmyk = test::BuildBuiltin(kFormatRgb8, kFormatCmyk8);
  const TransformPtr cmykToRgb = test::BuildBuiltin(kFormatCmyk8, kFormatRgb8);
  for (const ColorTransform* t : {passThrough.get(), rgbToCmyk.get(), cmykToRgb.get()}) {
    ASSERT_NE(t, nullptr);
    const LutTable& link = *t->deviceLink;
    const int32_t n = link.gridPoints, inputs = link.inputChannels, outputs = link.outputChannels;
    const int32_t nodes = int32_t(std::pow(n, inputs));
    int32_t mismatches = 0;
    for (int32_t node = 0; node < nodes; ++node) {
      uint16_t in[4] = {}, out[kMaxLutChannels];
      for (int32_t k = inputs - 1, rest = node; k >= 0; --k, rest /= n) in[k] = uint16_t(rest % n * 65535 / (n - 1));
      RunGeneralPipeline(*t, in, out);
      mismatches += !std::equal(out, out + outputs, link.grid + int64_t{node} * outputs);
    }
    EXPECT_EQ(mismatches, 0) << std::hex << t->inputFormat << " -> " << t->outputFormat;
  }
}

TEST(Transform, RunOfZeroPixelsTouchesNothing) {
  for (const auto& [in, out] : {std::pair{kFormatRgb8, kFormatBgr8}, {kFormatCmyk8, kFormatRgb8}}) {
    const TransformPtr t = test::BuildBuiltin(in, out);
    ASSERT_NE(t, nullptr);
    std::vector<uint8_t> destination(8, test::kSentinel);
    EXPECT_EQ(IccApplyTransform(t.get(), destination.data(), destination.data() + 4, 0), CLR_OK);
    EXPECT_EQ(destination, std::vector<uint8_t>(8, test::kSentinel));
    EXPECT_EQ(IccApplyTransform(t.get(), nullptr, nullptr, 0), CLR_OK);
  }
}

// When the stage saturates (all three results 65535) the pixel is the white of the
// output space, whatever the output table holds: XYZ 2.0 from a profile whose
// illuminant is a quarter of the output's overflows; the last case does not.
TEST(Transform, SaturatedStagePacksTheWhiteOfTheOutputSpace) {
  const auto constant = [](uint16_t v) { return [v](uint32_t, uint32_t) { return v; }; };
  const int32_t quarter[3] = {0x4000, 0x4000, 0x4000};
  const Bytes bright =
      test::TableProfile(kIccSpaceRgb, kIccSpaceXyz, test::TwoPointLutTag(3, 3, constant(65535)), {}, quarter);
  const Bytes plain = test::TableProfile(kIccSpaceRgb, kIccSpaceXyz, test::TwoPointLutTag(3, 3, constant(0x4000)), {});
  const Bytes to3 = test::TwoPointLutTag(3, 3, constant(0x1234)), to4 = test::TwoPointLutTag(3, 4, constant(0x1234));
  const std::tuple<const char*, const Bytes&, uint32_t, const Bytes&, uint32_t, std::vector<uint8_t>> cases[] = {
      {"RGB", bright, kIccSpaceRgb, to3, kFormatRgb8, {255, 255, 255}},
      {"Lab", bright, kIccSpaceLab, to3, kFormatLab8, {255, 128, 128}},
      {"CMYK", bright, kIccSpaceCmyk, to4, kFormatCmyk8, {0, 0, 0, 0}},
      {"CMY", bright, kIccSpaceCmy, to3, kFormatCmy8, {0, 0, 0}},
      {"other space", bright, kIccSpaceXyz, to3, kFormat3x16, {0, 0, 0, 0, 0, 0}},
      {"no saturation", plain, kIccSpaceCmyk, to4, kFormatCmyk8, {0x12, 0x12, 0x12, 0x12}},
  };
  for (const auto& [what, in, space, table, format, pixel] : cases) {
    int32_t status = 0;
    const TransformPtr t =
        test::BuildFromBytes(in, kFormatRgb8, test::TableProfile(space, kIccSpaceXyz, {}, table), format, &status);
    ASSERT_NE(t, nullptr) << what;
    EXPECT_EQ(t->stage, StageKind::kXyzScale) << what;
    const std::vector<uint8_t> out = test::Convert(*t, test::RandomBytes(3 * 4, 9));
    for (size_t i = 0; i < out.size(); i += pixel.size())
      EXPECT_TRUE(std::equal(pixel.begin(), pixel.end(), out.begin() + ptrdiff_t(i))) << what << " pixel " << i;
  }
}

}  // namespace
}  // namespace qclr
