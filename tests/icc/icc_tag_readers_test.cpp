#include "icc/icc_tag_readers.h"

#include <cmath>
#include <memory>

#include <gtest/gtest.h>

#include "icc/test_profile_builder.h"

namespace qclr {
namespace {

using test::Bytes;
using test::TestProfile;

struct Closer {
  void operator()(IccProfile* p) const { IccCloseProfile(p); }
  void operator()(GammaCurve* c) const { FreeGammaCurve(c); }
};
using ProfilePtr = std::unique_ptr<IccProfile, Closer>;
using CurvePtr = std::unique_ptr<GammaCurve, Closer>;

ProfilePtr Open(const TestProfile& t) {
  const Bytes b = t.Build();
  return ProfilePtr(IccOpenProfileFromMem(b.data(), b.size()));
}

// The profile with one tag `signature` holding `data`.
ProfilePtr WithTag(uint32_t signature, Bytes data) { return Open(TestProfile().Tag(signature, std::move(data))); }

TEST(IccReadXYZ, AcceptsBothXyzTypesOnly) {
  struct Case {
    uint32_t type;
    int32_t expected;
  };
  const Case cases[] = {{kIccTypeXyz, 1}, {kIccTypeXyzLegacy, 1}, {kIccTypeCurve, -1}, {0x58595A21, -1}};
  for (const Case& c : cases) {
    const ProfilePtr p = WithTag(kIccTagMediaWhite, test::XyzTag(0xF6D6, 0x10000, -0x8000, c.type));
    double xyz[3] = {7, 7, 7};
    EXPECT_EQ(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), c.expected) << std::hex << c.type;
    if (c.expected == 1) {
      EXPECT_EQ(xyz[0], 0.964202880859375);
      EXPECT_EQ(xyz[1], 1.0);
      EXPECT_EQ(xyz[2], -0.5);
    } else {
      EXPECT_EQ(xyz[0], 7.0);
    }
  }
  const ProfilePtr p = WithTag(kIccTagMediaWhite, test::XyzTag(1, 1, 1));
  double xyz[3];
  EXPECT_EQ(IccReadXYZ(p.get(), kIccTagMediaBlack, xyz), -1);
}

TEST(IccReadXYZ, MediaPointsFallBackWhenAbsentOrUnreadable) {
  const ProfilePtr none = Open(TestProfile());
  const ProfilePtr wrongType = Open(TestProfile()
                                        .Tag(kIccTagMediaWhite, test::CurveTag({}))
                                        .Tag(kIccTagMediaBlack, test::CurveTag({})));
  for (const ProfilePtr* p : {&none, &wrongType}) {
    double white[3], black[3] = {5, 5, 5};
    EXPECT_EQ(IccReadMediaWhitePoint(p->get(), white), 0);
    EXPECT_EQ(white[0], 0.964294);
    EXPECT_EQ(white[1], 1.0);
    EXPECT_EQ(white[2], 0.825104);
    EXPECT_EQ(IccReadMediaBlackPoint(p->get(), black), 0);
    EXPECT_EQ(black[0], 0.0);
    EXPECT_EQ(black[1], 0.0);
    EXPECT_EQ(black[2], 0.0);
  }
  const ProfilePtr both = Open(TestProfile()
                                   .Tag(kIccTagMediaWhite, test::XyzTag(0x10000, 0x10000, 0x10000))
                                   .Tag(kIccTagMediaBlack, test::XyzTag(0x100, 0x200, 0x300)));
  double white[3], black[3];
  EXPECT_EQ(IccReadMediaWhitePoint(both.get(), white), 1);
  EXPECT_EQ(white[2], 1.0);
  EXPECT_EQ(IccReadMediaBlackPoint(both.get(), black), 1);
  EXPECT_EQ(black[2], 0x300 / 65536.0);
}

TEST(IccReadColorants, ColumnsAreRedGreenBlue) {
  TestProfile t;
  t.Tag(kIccTagRedColorant, test::XyzTag(1 << 16, 2 << 16, 3 << 16))
      .Tag(kIccTagGreenColorant, test::XyzTag(4 << 16, 5 << 16, 6 << 16))
      .Tag(kIccTagBlueColorant, test::XyzTag(7 << 16, 8 << 16, 9 << 16));
  double m[3][3];
  ASSERT_EQ(IccReadColorants(Open(t).get(), m), 1);
  const double expected[3][3] = {{1, 4, 7}, {2, 5, 8}, {3, 6, 9}};
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(m[r][c], expected[r][c]) << r << c;
  const ProfilePtr noBlue = Open(TestProfile()
                                     .Tag(kIccTagRedColorant, test::XyzTag(1, 1, 1))
                                     .Tag(kIccTagGreenColorant, test::XyzTag(1, 1, 1)));
  EXPECT_EQ(IccReadColorants(noBlue.get(), m), 0);
}

TEST(IccReadCurve, CountsZeroOneAndMany) {
  // Count 0: the identity.
  CurvePtr c(IccReadCurve(WithTag(kIccTagRedCurve, test::CurveTag({})).get(), kIccTagRedCurve));
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->count, 2);
  EXPECT_EQ(c->entries[0], 0);
  EXPECT_EQ(c->entries[1], 65535);

  // Count 1: a u8Fixed8 gamma, 0x02 0x33 = 2.19921875, sampled at 256 entries.
  c.reset(IccReadCurve(WithTag(kIccTagRedCurve, test::CurveTag({0x0233})).get(), kIccTagRedCurve));
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->count, 256);
  EXPECT_EQ(c->entries[0], 0);
  EXPECT_EQ(c->entries[255], 65535);
  const double mid = std::pow(128.0 / 255.0, 2.19921875) * 65535.0;  // 14 307.6
  EXPECT_NEAR(c->entries[128], mid, 1.0);
  for (int i = 1; i < 256; ++i) ASSERT_GE(c->entries[i], c->entries[i - 1]) << i;

  // Gamma exactly 0: all zeros.
  c.reset(IccReadCurve(WithTag(kIccTagRedCurve, test::CurveTag({0x0000})).get(), kIccTagRedCurve));
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->count, 256);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(c->entries[i], 0) << i;

  // Stored entries, big-endian.
  c.reset(IccReadCurve(WithTag(kIccTagRedCurve, test::CurveTag({0x0102, 0x8000, 0xFFFE})).get(), kIccTagRedCurve));
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->count, 3);
  EXPECT_EQ(c->entries[0], 0x0102);
  EXPECT_EQ(c->entries[1], 0x8000);
  EXPECT_EQ(c->entries[2], 0xFFFE);
}

TEST(IccReadCurve, RefusesWrongTypesAndShortTags) {
  Bytes cut = test::CurveTag({1, 2, 3, 4});
  test::SetU32(cut, 8, 5);  // claims one entry more than stored
  Bytes huge = test::CurveTag({1, 2});
  test::SetU32(huge, 8, 0xFFFFFFFF);
  Bytes noGamma = test::CurveTag({});
  test::SetU32(noGamma, 8, 1);
  const Bytes cases[] = {test::XyzTag(1, 2, 3), cut, huge, noGamma, test::TagHead(kIccTypeCurve)};
  for (const Bytes& tag : cases) {
    // The tag is last in the profile, so a count past its end is past the profile's.
    EXPECT_EQ(IccReadCurve(WithTag(kIccTagRedCurve, tag).get(), kIccTagRedCurve), nullptr);
  }
  EXPECT_EQ(IccReadCurve(Open(TestProfile()).get(), kIccTagRedCurve), nullptr);
}

TEST(IccBuildGamma, SamplesThePowerCurve) {
  // Gamma 1 is the evenly spaced ramp.
  CurvePtr c(IccBuildGamma(1024, 1.0));
  ASSERT_NE(c, nullptr);
  const std::vector<uint16_t> ramp = test::Ramp(1024);
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(c->entries[i], ramp[static_cast<size_t>(i)]) << i;
  c.reset(IccBuildGamma(70000, 2.2));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->count, 65530);
  EXPECT_EQ(c->entries[65529], 65535);
  c.reset(IccBuildGamma(2, 0.45));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->entries[0], 0);
  EXPECT_EQ(c->entries[1], 65535);
  EXPECT_EQ(IccBuildGamma(1, 2.2), nullptr);
  EXPECT_EQ(IccBuildGamma(0, 2.2), nullptr);
  EXPECT_EQ(IccBuildGamma(-5, 2.2), nullptr);
}

}  // namespace
}  // namespace qclr
