// The CSP_XYZ rows: every implementation against the portable rows, the decoder
// also on doubles of every kind.
#include "direct/xyz_rows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "row_check.h"

namespace qclr {
namespace {

std::vector<uint8_t> DoubleBytes(std::initializer_list<double> values) {
  std::vector<uint8_t> bytes(values.size() * 8);
  size_t i = 0;
  for (double v : values) std::memcpy(&bytes[8 * i++], &v, 8);
  return bytes;
}

TEST(XyzRows, EveryImplementationGivesThePortableBytes) {
  test::ExpectEveryRowMatchesPortable(xyz::kRgbToXyzRows, {3, 24, false},
                                      {0, 0, 0, 255, 255, 255, 255, 0, 7});
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN(),
                   kInf = std::numeric_limits<double>::infinity();
  // Random bit patterns after these: NaN, infinities, values beyond the integer
  // range, exact bytes and their neighbours, negative zero.
  const std::vector<uint8_t> specials = DoubleBytes({kNan,
                                                     kInf,
                                                     -kInf,
                                                     1e300,
                                                     -1e300,
                                                     8421504.5,
                                                     1.0,
                                                     1.0,
                                                     1.0,
                                                     0.0,
                                                     -0.0,
                                                     1.0 / 255,
                                                     0.99999999999999989,
                                                     1.0000000000000002,
                                                     -1e-300,
                                                     2.0 / 255,
                                                     0.5,
                                                     0.25,
                                                     3e9,
                                                     -3e9,
                                                     2.5e8,
                                                     1e-3,
                                                     0.4,
                                                     0.7});
  test::ExpectEveryRowMatchesPortable(xyz::kXyzToRgbRows, {24, 3, false}, specials);
}

}  // namespace
}  // namespace qclr
