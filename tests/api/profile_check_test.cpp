// Q_ClrCheckProfile: the status a conversion handle through profile files would
// get for one profile on one side, and a reason a program can show.
#include <cstring>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "qclr/qclr.h"
#include "support/handle_fixtures.h"

namespace qclr {
namespace {

struct Check {
  int32_t status;
  std::string reason;
};

Check CheckProfile(const std::string& path, int32_t space, int32_t side) {
  char reason[256] = "unwritten";
  const int32_t status = Q_ClrCheckProfile(path.c_str(), space, side, reason, sizeof reason);
  return {status, reason};
}

TEST(CheckProfile, StatusesAndReasons) {
  test::ProfileFiles files;
  const std::string missing = files.dir.Path("missing.icc");
  const std::tuple<const char*, std::string, int32_t, int32_t, int32_t, std::string> cases[] = {
      {"CMYK profile for CMYK", files.cmyk, CSP_CMYK, 1, CLR_OK,
       "version 2.1 output profile (CMYK, PCS Lab): usable as a destination, through its B2A0 table ('mft2')"},
      {"CMYK profile for YCCK", files.cmyk, CSP_YCCK, 0, CLR_OK, "usable as a source"},
      {"RGB profile for BGR", files.rgb, CSP_BGR, 1, CLR_OK,
       "display profile (RGB, PCS XYZ): usable as a destination, through its colorants and tone curves"},
      {"Lab profile for Lab", files.lab, CSP_LAB, 0, CLR_OK, "colour space profile (Lab, PCS Lab): usable"},
      {"CMYK profile for RGB", files.cmyk, CSP_RGB, 0, CLR_ERR_PROFILE_MISMATCH,
       "its data colour space is CMYK, the pixels are RGB"},
      {"missing file", missing, CSP_RGB, 0, CLR_ERR_PROFILE_OPEN, "the file cannot be read (system error 2)"},
      {"a space without profiles", files.rgb, CSP_HSV, 0, CLR_ERR_COLORSPACE, "does not convert through ICC"},
      {"an unknown space", files.rgb, 99, 1, CLR_ERR_COLORSPACE, "does not convert through ICC"},
      {"no name", "", CSP_RGB, 0, CLR_ERR_FILE_NAME, "no file name"},
      {"a name of 260 characters", std::string(QCLR_FILE_NAME_SIZE, 'a'), CSP_RGB, 0, CLR_ERR_FILE_NAME, "longer"},
      {"side 2", files.rgb, CSP_RGB, 2, CLR_ERR_PARAM, "invalid argument"},
  };
  for (const auto& [what, path, space, side, status, reason] : cases) {
    const Check c = CheckProfile(path, space, side);
    EXPECT_EQ(c.status, status) << what;
    EXPECT_NE(c.reason.find(reason), std::string::npos) << what << ": " << c.reason;
  }
  char reason[4] = "xyz";
  EXPECT_EQ(Q_ClrCheckProfile(nullptr, CSP_RGB, 0, reason, 4), CLR_ERR_PARAM);
  EXPECT_EQ(Q_ClrCheckProfile(files.rgb.c_str(), CSP_RGB, 0, reason, -1), CLR_ERR_PARAM);
  EXPECT_EQ(Q_ClrCheckProfile(files.rgb.c_str(), CSP_RGB, 0, nullptr, 4), CLR_ERR_PARAM);
  // No room: nothing written, the status all the same.
  EXPECT_EQ(std::string(reason), "inv");  // "invalid argument", cut
  std::strcpy(reason, "xyz");
  EXPECT_EQ(Q_ClrCheckProfile(files.rgb.c_str(), CSP_RGB, 0, nullptr, 0), CLR_OK);
  EXPECT_EQ(Q_ClrCheckProfile(files.cmyk.c_str(), CSP_RGB, 0, reason, 0), CLR_ERR_PROFILE_MISMATCH);
  EXPECT_EQ(std::string(reason), "xyz");
  // A short buffer gets the start of the line, zero-terminated.
  const std::string full = CheckProfile(files.cmyk, CSP_RGB, 1).reason;
  char cut[13];
  std::memset(cut, 0x55, sizeof cut);
  EXPECT_EQ(Q_ClrCheckProfile(files.cmyk.c_str(), CSP_RGB, 1, cut, 12), CLR_ERR_PROFILE_MISMATCH);
  EXPECT_EQ(std::string(cut), full.substr(0, 11));
  EXPECT_EQ(cut[12], 0x55);
}

// The status is the one Q_ClrInit gives for the same files: the first side that
// is refused decides.
TEST(CheckProfile, AgreesWithHandleCreation) {
  test::ProfileFiles files;
  const std::string missing = files.dir.Path("none.icc");
  const std::tuple<int32_t, int32_t, std::string, std::string> pairs[] = {
      {CSP_RGB, CSP_CMYK, files.rgb, files.cmyk},  {CSP_RGB, CSP_CMYK, files.cmyk, files.cmyk},
      {CSP_LAB, CSP_BGR, files.lab, files.cmyk},   {CSP_CMYK, CSP_RGB, files.cmyk, files.rgb},
      {CSP_YCCK, CSP_RGB, files.cmyk, files.rgb},  {CSP_RGB, CSP_LAB, files.rgb, missing},
      {CSP_CMY, CSP_RGB, files.lab, files.rgb},
  };
  for (const auto& [src, dst, srcFile, dstFile] : pairs) {
    ConversionParams p = test::Params(METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC);
    test::SetName(p.srcProfileName, srcFile);
    test::SetName(p.dstProfileName, dstFile);
    test::HandleGuard h;
    const int32_t init = Q_ClrInit(&h.h, src, dst, &p);
    const int32_t source = CheckProfile(srcFile, src, 0).status;
    const int32_t expected = source != CLR_OK ? source : CheckProfile(dstFile, dst, 1).status;
    EXPECT_EQ(init, expected) << src << " -> " << dst << " " << srcFile << " " << dstFile;
  }
}

}  // namespace
}  // namespace qclr
