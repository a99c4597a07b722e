// Profiles as Debian ships them: the version 4 profiles of colord-data with the
// built-in profiles, and against the version 2 profiles of icc-profiles-free. The
// tests skip, saying so, when the packages are not installed.
#include <filesystem>
#include <utility>

#include "icc_test_support.h"
#include "icc/profile_check.h"

namespace qclr {
namespace {

using namespace test;

const std::string kColordDir = "/usr/share/color/icc/colord/";
const std::string kFreeDir = "/usr/share/color/icc/";

bool Present(const std::string& path) { return std::filesystem::exists(path); }

// A transform from the profile file to the built-in profile of `builtin` (or the
// other way round).
TransformPtr WithBuiltin(const std::string& path, uint32_t format, uint32_t builtin, bool fromFile,
                         int32_t* status) {
  int32_t systemError = 0;
  ProfilePtr file(IccOpenProfileFromFile(path.c_str()));
  ProfilePtr own(IccOpenBuiltinProfile(builtin, &systemError));
  if (file == nullptr || own == nullptr) {
    *status = CLR_ERR_PROFILE_OPEN;
    return nullptr;
  }
  return TransformPtr(fromFile ? IccCreateTransform(std::move(file), format, std::move(own), builtin, kD50White, status)
                               : IccCreateTransform(std::move(own), builtin, std::move(file), format, kD50White, status));
}

TransformPtr BetweenFiles(const std::string& in, const std::string& out, uint32_t outFormat) {
  int32_t status = 0;
  return TransformPtr(IccCreateTransform(ProfilePtr(IccOpenProfileFromFile(in.c_str())), kFormatRgb8,
                                         ProfilePtr(IccOpenProfileFromFile(out.c_str())), outFormat, kD50White,
                                         &status));
}

std::vector<uint8_t> Grey(int step) {
  std::vector<uint8_t> g;
  for (int v = 0; v <= 255; v += step) g.insert(g.end(), {uint8_t(v), uint8_t(v), uint8_t(v)});
  return g;
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  int worst = a.size() == b.size() ? 0 : 256;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

// Every display and colour-space profile of colord-data builds with the built-in
// CMYK and Lab profiles in both directions and converts: white stays white, greys
// stay neutral and come back from Lab within two levels. The other profiles (the
// named-colour lists) are refused, with a reason.
TEST(PackagedProfiles, EveryColordProfileConvertsWithTheBuiltInProfiles) {
  if (!Present(kColordDir + "sRGB.icc")) GTEST_SKIP() << "colord-data is not installed (" << kColordDir << ")";
  int converting = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kColordDir)) {
    const std::string path = entry.path().string();
    SCOPED_TRACE(path);
    const ProfilePtr profile(IccOpenProfileFromFile(path.c_str()));
    ASSERT_NE(profile, nullptr);
    const uint32_t deviceClass = IccGetDeviceClass(profile.get());
    if (deviceClass != kIccClassDisplay && deviceClass != kIccClassColorSpace) {
      IccRefusal why{};
      EXPECT_EQ(IccCheckProfile(profile.get(), kFormatLab8, kIccSideDestination, &why), CLR_ERR_PROFILE_MISMATCH);
      EXPECT_NE(std::string(why.text).find("B2A0"), std::string::npos) << why.text;
      continue;
    }
    ASSERT_EQ(IccGetColorSpace(profile.get()), kIccSpaceRgb) << "colord-data has only RGB ones so far";
    ++converting;
    int32_t status = 0;
    const TransformPtr toLab = WithBuiltin(path, kFormatRgb8, kFormatLab8, true, &status);
    const TransformPtr fromLab = WithBuiltin(path, kFormatRgb8, kFormatLab8, false, &status);
    const TransformPtr toCmyk = WithBuiltin(path, kFormatRgb8, kFormatCmyk8, true, &status);
    const TransformPtr fromCmyk = WithBuiltin(path, kFormatRgb8, kFormatCmyk8, false, &status);
    ASSERT_TRUE(toLab && fromLab && toCmyk && fromCmyk);

    const std::vector<uint8_t> grey = Grey(15), lab = Convert(*toLab, grey);
    for (size_t i = 0; i < lab.size(); i += 3) {
      EXPECT_NEAR(lab[i + 1], 128, 2) << "a of grey " << int(grey[i]);
      EXPECT_NEAR(lab[i + 2], 128, 2) << "b of grey " << int(grey[i]);
      if (i > 0) {
        EXPECT_GT(lab[i], lab[i - 3]) << "L of grey " << int(grey[i]);
      }
    }
    EXPECT_GE(lab[lab.size() - 3], 254);
    EXPECT_LE(MaxDifference(Convert(*fromLab, lab), grey), 2);
    EXPECT_EQ(Convert(*toCmyk, {255, 255, 255}), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_LE(MaxDifference(Convert(*fromCmyk, {0, 0, 0, 0}), {255, 255, 255}), 2);
  }
  EXPECT_GE(converting, 20);
}

// The version 4 sRGB profile (parametric curves, D50 white and 'chad') and the
// version 2 one (1024-entry curves, D65 white) convert a colour chart to within one
// level of each other, in every direction with the built-in profiles and
// joined with AdobeRGB-compatible profiles of the same two versions.
TEST(PackagedProfiles, SrgbVersionFourAgreesWithVersionTwo) {
  const std::string v4 = kColordDir + "sRGB.icc", v2 = kFreeDir + "sRGB.icc";
  const std::string adobe4 = kColordDir + "AdobeRGB1998.icc", adobe2 = kFreeDir + "compatibleWithAdobeRGB1998.icc";
  for (const std::string& path : {v4, v2, adobe4, adobe2}) {
    if (!Present(path)) GTEST_SKIP() << path << " is not installed (colord-data, icc-profiles-free)";
  }
  const std::vector<uint8_t> rgb = RgbGrid(0, 255, 15), lab = RgbGrid(0, 255, 17);
  std::vector<uint8_t> cmyk;
  for (int c = 0; c <= 255; c += 51)
    for (int m = 0; m <= 255; m += 51)
      for (int y = 0; y <= 255; y += 51)
        for (int k = 0; k <= 255; k += 85) cmyk.insert(cmyk.end(), {uint8_t(c), uint8_t(m), uint8_t(y), uint8_t(k)});
  const std::tuple<const char*, uint32_t, bool, const std::vector<uint8_t>&, int> directions[] = {
      {"to Lab", kFormatLab8, true, rgb, 1},      {"from Lab", kFormatLab8, false, lab, 1},
      {"to CMYK", kFormatCmyk8, true, rgb, 1},    {"from CMYK", kFormatCmyk8, false, cmyk, 1},
  };
  for (const auto& [what, format, fromFile, chart, limit] : directions) {
    int32_t status = 0;
    const TransformPtr a = WithBuiltin(v4, kFormatRgb8, format, fromFile, &status);
    const TransformPtr b = WithBuiltin(v2, kFormatRgb8, format, fromFile, &status);
    ASSERT_TRUE(a && b) << what;
    EXPECT_LE(MaxDifference(Convert(*a, chart), Convert(*b, chart)), limit) << what;
  }
  const TransformPtr joined4 = BetweenFiles(v4, adobe4, kFormatRgb8), joined2 = BetweenFiles(v2, adobe2, kFormatRgb8);
  ASSERT_TRUE(joined4 && joined2 && joined4->joinedShaper && joined2->joinedShaper);
  EXPECT_LE(MaxDifference(Convert(*joined4, rgb), Convert(*joined2, rgb)), 1);
  // Through itself the version 4 profile gives every byte back, as the version 2 one does.
  const TransformPtr self = BetweenFiles(v4, v4, kFormatBgr8);
  ASSERT_NE(self, nullptr);
  std::vector<uint8_t> reversed = rgb;
  for (size_t i = 0; i < reversed.size(); i += 3) std::swap(reversed[i], reversed[i + 2]);
  EXPECT_EQ(Convert(*self, rgb), reversed);
}

}  // namespace
}  // namespace qclr
