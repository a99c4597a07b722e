// The fast Lab rows against the definition: every implementation, the tables
// they rest on, and the error bound that decides when the exact path runs.
#include "direct/lab_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "direct/lab_definition.h"
#include "row_check.h"

namespace qclr {
namespace {

// Pixels whose fast bytes are too close to a truncation boundary (the exact path
// must decide them), and corners of the cube.
const std::vector<uint8_t> kEncoderSpecials = {1,   59, 193, 2,   88,  170, 5, 219, 79,  9,   125, 208,
                                               10,  66, 113, 11,  134, 107, 0, 0,   0,   255, 255, 255,
                                               255, 0,  0,   128, 128, 128, 0, 0,   255, 12,  179, 151};

TEST(LabRows, TheSpecialPixelsTakeTheExactPath) {
  for (size_t i = 0; i < 18; i += 3) {
    uint8_t lab[3];
    EXPECT_FALSE(lab::RgbToLabPixelFast(lab::Encode(), kEncoderSpecials[i], kEncoderSpecials[i + 1],
                                        kEncoderSpecials[i + 2], lab))
        << i / 3;
  }
}

TEST(LabRows, EveryImplementationGivesThePortableBytes) {
  test::ExpectEveryRowMatchesPortable(lab::kRgbToLabRows, {}, kEncoderSpecials);
  // L 0 and 255, a and b at both ends of the signed range.
  test::ExpectEveryRowMatchesPortable(lab::kLabToRgbRows, {},
                                      {0, 0, 0, 255, 0, 0, 255, 128, 127, 0, 127, 128, 100, 255, 1});
}

TEST(LabRows, CubeRootWithinItsErrorBound) {
  const lab::EncodeTables& tables = lab::Encode();
  double worst = 0;
  for (double t = 0.008856; t < 1.01; t *= 1.0000371) {
    const double exact = Pow(t, 1.0 / 3.0);
    worst = std::max(worst, std::fabs(lab::CubeRootFast(tables, t) - exact) / exact);
  }
  EXPECT_LT(worst, 0x1p-35);
  EXPECT_GT(worst, 0x1p-60);  // the approximation is not the exact function
}

TEST(LabRows, GammaThresholdsAreWhereTheByteGrows) {
  const lab::DecodeTables& tables = lab::Decode();
  for (int k = 1; k < 256; ++k) {
    const double threshold = tables.threshold[k];
    EXPECT_GE(lab::GammaToByte(threshold), k);
    EXPECT_LT(lab::GammaToByte(std::nextafter(threshold, 0.0)), k);
  }
  // No bucket holds more than its first byte and the next one, so one comparison
  // decides the byte.
  for (int k = 0; k < lab::DecodeTables::kGammaBuckets; ++k) {
    const uint64_t startBits =
        (std::bit_cast<uint64_t>(lab::DecodeTables::kGammaLow) >> lab::kBucketShift) + k;
    const double start = k == 0 ? 0.0 : std::bit_cast<double>(startBits << lab::kBucketShift);
    const double last = std::min(1.0, std::bit_cast<double>(((startBits + 1) << lab::kBucketShift) - 1));
    EXPECT_LE(lab::GammaByteFast(tables, last) - lab::GammaByteFast(tables, start), 1) << k;
    EXPECT_EQ(lab::GammaByteFast(tables, last), lab::GammaToByte(last)) << k;
    EXPECT_EQ(lab::GammaByteFast(tables, start), lab::GammaToByte(start)) << k;
  }
  for (int k = 1; k < 256; k += 7) {
    const double threshold = tables.threshold[k];
    EXPECT_EQ(lab::GammaByteFast(tables, threshold), k);
    EXPECT_EQ(lab::GammaByteFast(tables, std::nextafter(threshold, 0.0)), k - 1);
  }
  EXPECT_EQ(lab::GammaByteFast(tables, -0.0), 0);
}

}  // namespace
}  // namespace qclr
