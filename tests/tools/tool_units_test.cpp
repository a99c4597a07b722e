// The tool's pieces that deserve their own tests: 16-bit rounding, the two Lab
// encodings, PAM tuple types, and the bounds-checked profile parser.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "format_codecs.h"
#include "icc_profile_info.h"
#include "lab_encoding.h"
#include "profile_use.h"
#include "qclr/qclr.h"
#include "sample_depth.h"
#include "support/handle_fixtures.h"

namespace qclr_tool {
namespace {

TEST(ToolUnits, SixteenBitSamplesRoundToTheNearestLevel) {
  const struct {
    uint16_t in;
    uint8_t out;
  } cases[] = {{0, 0}, {128, 0}, {129, 1}, {257, 1}, {385, 1}, {386, 2}, {65535, 255}, {65278, 254}, {65406, 254}, {65407, 255}};
  for (const auto& c : cases) EXPECT_EQ(Reduce16(c.in), c.out) << c.in;
  EXPECT_EQ(ScaleToByte(1, 2), 128);  // a 1-bit-like maxval: halves round up
  EXPECT_EQ(ScaleToByte(1000, 1000), 255);
  // Lab a, b of 256 a unit: signed values clamp at 127, offset ones at 255.
  EXPECT_EQ(ReduceSignedLab16(-32768), 0x80);
  EXPECT_EQ(ReduceSignedLab16(32767), 127);
  EXPECT_EQ(ReduceSignedLab16(-129), 0xFF);  // -0.504 rounds to -1
  EXPECT_EQ(ReduceSignedLab16(-128), 0);     // -0.5 rounds half up to 0
  EXPECT_EQ(ReduceOffsetLab16(65535), 255);
  EXPECT_EQ(ReduceOffsetLab16(32768 + 127), 128);
}

TEST(ToolUnits, SixteenBitPamIsRoundedAndLabTupleTypesNameTheEncoding) {
  const std::string header = "P7\nWIDTH 2\nHEIGHT 1\nDEPTH 3\nMAXVAL 65535\nTUPLTYPE RGB\nENDHDR\n";
  std::vector<uint8_t> file(header.begin(), header.end());
  for (uint16_t v : {0, 129, 257, 65535, 32767, 32896}) {
    file.push_back(static_cast<uint8_t>(v >> 8));
    file.push_back(static_cast<uint8_t>(v));
  }
  Image image;
  std::string error;
  ASSERT_TRUE(DecodePnm(file, &image, &error)) << error;
  EXPECT_EQ(image.fileBits, 16);
  EXPECT_EQ(image.bytes, (std::vector<uint8_t>{0, 1, 1, 255, 127, 128}));

  for (LabEncoding encoding : {LabEncoding::kSigned, LabEncoding::kOffset128, LabEncoding::kUnspecified}) {
    Image lab;
    lab.space = FindSpace(CSP_LAB);
    lab.width = 2;
    lab.height = 1;
    lab.bytes = {10, 0x80, 0x7F, 200, 0, 1};
    lab.lab = encoding;
    std::vector<uint8_t> pam;
    ASSERT_TRUE(EncodePnm(lab, false, &pam, &error));
    Image back;
    ASSERT_TRUE(DecodePnm(pam, &back, &error)) << error;
    EXPECT_EQ(back.lab, encoding);
    EXPECT_EQ(back.bytes, lab.bytes);
  }
}

TEST(ToolUnits, LabEncodingsConvertIntoEachOther) {
  // Signed a = -128, 127, 0, -1 are a + 128 = 0, 255, 128, 127; L never changes.
  const std::vector<uint8_t> signedLab = {50, 0x80, 0x7F, 99, 0x00, 0xFF};
  const std::vector<uint8_t> offsetLab = {50, 0, 255, 99, 128, 127};
  std::vector<uint8_t> v = signedLab;
  ConvertLabEncoding(&v, LabEncoding::kSigned, LabEncoding::kOffset128);
  EXPECT_EQ(v, offsetLab);
  ConvertLabEncoding(&v, LabEncoding::kOffset128, LabEncoding::kSigned);
  EXPECT_EQ(v, signedLab);
  ConvertLabEncoding(&v, LabEncoding::kUnspecified, LabEncoding::kOffset128);  // an unknown side: unchanged
  ConvertLabEncoding(&v, LabEncoding::kSigned, LabEncoding::kUnspecified);
  EXPECT_EQ(v, signedLab);
}

TEST(ToolUnits, ProfileParserChecksEveryOffset) {
  const std::vector<uint8_t> display = qclr::test::ResourceCopy("ICM", 105);
  IccProfileInfo info;
  std::string error;
  ASSERT_TRUE(ParseIccProfile(display, &info, &error)) << error;
  EXPECT_EQ(info.deviceClass, "mntr");
  EXPECT_EQ(info.connectionSpace, "XYZ ");
  ASSERT_NE(SpaceOfProfile(info), nullptr);
  EXPECT_EQ(SpaceOfProfile(info)->code, CSP_RGB);

  // A tag pointing past the end is listed as such; a table too long is refused.
  std::vector<uint8_t> bad = display;
  bad[132 + 4] = 0x7F;  // first tag's offset far beyond the end
  ASSERT_TRUE(ParseIccProfile(bad, &info, &error));
  EXPECT_EQ(info.tags[0].detail, "lies outside the profile");
  EXPECT_EQ(info.tags[0].type, "");
  bad[128] = 0x10;  // 2^28 tags
  EXPECT_FALSE(ParseIccProfile(bad, &info, &error));
  bad = display;
  bad[36] = 'x';
  EXPECT_FALSE(ParseIccProfile(bad, &info, &error));
  bad.resize(100);
  EXPECT_FALSE(ParseIccProfile(bad, &info, &error));
}

}  // namespace
}  // namespace qclr_tool
