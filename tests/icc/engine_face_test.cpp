// The face the rest of the library uses: the pixel-format word of every colour
// space, and the pixel sizes a built transform reports (the YCCK converters size
// their intermediates by them).
#include "icc/icc_engine.h"
#include "icc_test_support.h"

namespace qclr {
namespace {

using namespace test;

TEST(IccEngineFace, FormatOfEverySpace) {
  const std::pair<int32_t, uint32_t> withProfiles[] = {{CSP_RGB, kFormatRgb8}, {CSP_BGR, kFormatBgr8},
                                                       {CSP_CMYK, kFormatCmyk8}, {CSP_CMY, kFormatCmy8},
                                                       {CSP_LAB, kFormatLab8},
                                                       {CSP_YCCK, kFormatCmyk8}};  // YCCK converts through CMYK
  for (int32_t space : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 128, 16, -1}) {
    uint32_t expected = 0;  // the other spaces have none
    for (const auto& [withProfile, format] : withProfiles) expected = space == withProfile ? format : expected;
    EXPECT_EQ(IccFormatOfSpace(space), expected) << space;
  }
}

TEST(IccEngineFace, PixelBytesOfBuiltTransforms) {
  const std::tuple<int32_t, int32_t, uint32_t, uint32_t> cases[] = {
      {CSP_RGB, CSP_CMYK, 3, 4}, {CSP_YCCK, CSP_BGR, 4, 3}, {CSP_LAB, CSP_RGB, 3, 3}, {CSP_BGR, CSP_CMY, 3, 3}};
  for (const auto& [from, to, in, out] : cases) {
    int32_t status = -1;
    const TransformPtr t(IccCreateTransformByTemperature(IccFormatOfSpace(from), IccFormatOfSpace(to), 50, 0,
                                                         nullptr, nullptr, &status));
    ASSERT_EQ(status, CLR_OK) << from << " -> " << to;
    const IccPixelBytes bytes = IccTransformPixelBytes(t.get());
    EXPECT_EQ(std::tuple(bytes.input, bytes.output), std::tuple(in, out)) << from << " -> " << to;
  }
}

}  // namespace
}  // namespace qclr
