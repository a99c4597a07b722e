// Checking one profile for one side: the status a transform build gives for it,
// and a reason that names what is missing or unsupported.
#include "icc_test_support.h"
#include "icc/profile_check.h"

namespace qclr {
namespace {

using namespace test;

// A matrix/curve RGB profile of `version` with para curves, changed by `edit`.
Bytes DisplayProfile(uint32_t version = 0x04300000, const std::function<void(TestProfile&)>& edit = {}) {
  TestProfile p;
  p.version = version;
  if (edit) edit(p);  // tags added first win
  return p.MatrixCurveTags(kVideoColorants, ParaTag(3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045})).Build();
}

Bytes WithTables(uint32_t space, uint32_t pcs, const Bytes& a2b0, const Bytes& b2a0, uint32_t extra = 0,
                 const Bytes& extraTag = {}) {
  TestProfile p;
  p.version = 0x04300000;
  p.deviceClass = kIccClassOutput, p.colorSpace = space, p.connectionSpace = pcs;
  if (extra != 0) p.Tag(extra, extraTag);
  if (!a2b0.empty()) p.Tag(kIccTagAToB0, a2b0);
  if (!b2a0.empty()) p.Tag(kIccTagBToA0, b2a0);
  return p.Build();
}

TestLutAB CurvesOnly(bool toPcs, uint32_t outputs = 3) {
  TestLutAB t;
  t.toPcs = toPcs, t.outputs = outputs;
  t.b.assign(3, CurveTag({}));
  if (outputs != 3) {  // a grid to change the channel count
    t.a.assign(outputs, CurveTag({}));
    t.gridPoints = {2, 2, 2};
    t.grid.assign(8 * outputs, 0x4000);
  }
  return t;
}

// For each profile and side: the check's status is the status of a build with a
// partner that works, and its reason names the fault.
TEST(ProfileCheck, SaysWhatABuildWouldAndWhy) {
  const auto half = [](uint32_t, uint32_t) -> uint16_t { return 0x8000; };
  const Bytes mpet = TagHead(IccSignature("mpet")), cut = IdentityLutTag();
  const Bytes cmykA2B = TwoPointLutTag(4, 3, half), lab3to4 = TwoPointLutTag(3, 4, half);
  const Bytes sRgbV2 = MatrixCurveProfile(kVideoColorants, CurveTag({0x0233}));
  const int32_t singular[3][3] = {{28574, 14581, 912}, {28574, 14581, 912}, {9377, 3972, 46787}};
  struct Case {
    const char* what;
    Bytes profile;
    uint32_t format;
    int32_t side;
    int32_t status;
    const char* reason;
  };
  const Case cases[] = {
      {"v4 para curves, source", DisplayProfile(), kFormatRgb8, 0, CLR_OK, "source, through its colorants and tone curves"},
      {"v4 para curves, destination", DisplayProfile(), kFormatBgr8, 1, CLR_OK, "destination, through its colorants"},
      {"v2 gamma curves", sRgbV2, kFormatRgb8, 1, CLR_OK, "usable as a destination"},
      {"mAB table", WithTables(kIccSpaceRgb, kIccSpaceXyz, LutABTag(CurvesOnly(true)), {}), kFormatRgb8, 0, CLR_OK,
       "through its A2B0 table ('mAB ')"},
      {"mBA table", WithTables(kIccSpaceRgb, kIccSpaceLab, {}, LutABTag(CurvesOnly(false))), kFormatRgb8, 1, CLR_OK,
       "through its B2A0 table ('mBA ')"},
      {"B2A0 of type mpet, source", WithTables(kIccSpaceCmyk, kIccSpaceLab, cmykA2B, mpet), kFormatCmyk8, 0, CLR_OK,
       "through its A2B0 table ('mft2')"},
      {"B2A0 of type mpet", WithTables(kIccSpaceCmyk, kIccSpaceLab, cmykA2B, mpet), kFormatCmyk8, 1,
       CLR_ERR_PROFILE_MISMATCH, "tag B2A0 has type 'mpet', which is not supported"},
      {"A2B0 of the other direction's type", WithTables(kIccSpaceRgb, kIccSpaceXyz, LutABTag(CurvesOnly(false)), {}),
       kFormatRgb8, 0, CLR_ERR_PROFILE_MISMATCH, "tag A2B0 has type 'mBA ', which is not supported"},
      {"B2A0 of one output", WithTables(kIccSpaceLab, kIccSpaceLab, {}, LutABTag(CurvesOnly(false, 1))), kFormatLab8,
       1, CLR_ERR_PROFILE_MISMATCH, "tag B2A0 ('mBA ') maps 3 channels to 1, where 3 to 3 are needed"},
      {"A2B0 cut short", WithTables(kIccSpaceLab, kIccSpaceLab, Bytes(cut.begin(), cut.begin() + 60), {}),
       kFormatLab8, 0, CLR_ERR_PROFILE_MISMATCH, "tag A2B0 ('mft2') is cut short or malformed"},
      {"A2B0 of four inputs for three channels", TableProfile(kIccSpaceLab, kIccSpaceLab, cmykA2B, {}), kFormatLab8,
       0, CLR_ERR_PROFILE_MISMATCH,
       "tag A2B0 ('mft2') maps 4 channels to 3, where 3 to 3 are needed"},
      {"A2B0 of four outputs", TableProfile(kIccSpaceLab, kIccSpaceLab, lab3to4, {}), kFormatLab8, 0,
       CLR_ERR_PROFILE_MISMATCH,
       "tag A2B0 ('mft2') maps 3 channels to 4, where 3 to 3 are needed"},
      {"B2A0 of four outputs for three channels", TableProfile(kIccSpaceLab, kIccSpaceLab, {}, lab3to4), kFormatLab8,
       1, CLR_ERR_PROFILE_MISMATCH,
       "tag B2A0 ('mft2') maps 3 channels to 4, where 3 to 3 are needed"},
      {"version 2 tables for 16-bit words", LabIdentityProfile(), kFormat3x16, 1, CLR_OK, "usable as a destination"},
      {"no gTRC", MatrixCurveProfile(kVideoColorants, CurveTag({}), kIccTagGreenCurve), kFormatRgb8, 0,
       CLR_ERR_PROFILE_MISMATCH, "tag gTRC is missing"},
      {"rTRC of type XYZ", DisplayProfile(0x04300000, [](TestProfile& p) { p.Tag(kIccTagRedCurve, XyzTag(1, 2, 3)); }),
       kFormatRgb8, 0, CLR_ERR_PROFILE_MISMATCH, "tag rTRC has type 'XYZ ', which is not supported"},
      {"no bXYZ", MatrixCurveProfile(kVideoColorants, CurveTag({}), kIccTagBlueColorant), kFormatRgb8, 1,
       CLR_ERR_PROFILE_MISMATCH, "tag bXYZ is missing"},
      {"singular colorants, destination", MatrixCurveProfile(singular, CurveTag({})), kFormatRgb8, 1,
       CLR_ERR_PROFILE_MISMATCH, "cannot be inverted"},
      {"singular colorants, source", MatrixCurveProfile(singular, CurveTag({})), kFormatRgb8, 0, CLR_OK, "source"},
      {"CMYK profile for RGB pixels", WithTables(kIccSpaceCmyk, kIccSpaceLab, cmykA2B, {}), kFormatRgb8, 0,
       CLR_ERR_PROFILE_MISMATCH, "its data colour space is CMYK, the pixels are RGB"},
      {"connection space RGB", TableProfile(kIccSpaceLab, kIccSpaceRgb, cut, cut), kFormatLab8, 0,
       CLR_ERR_PROFILE_MISMATCH, "its connection space RGB is neither XYZ nor Lab"},
      {"chad cut short",
       DisplayProfile(0x04300000,
                      [](TestProfile& p) { p.Tag(kIccTagChromaticAdaptation, TagHead(kIccTypeS15Fixed16Array)); }),
       kFormatRgb8, 0, CLR_ERR_PROFILE_MISMATCH, "tag chad ('sf32') is cut short or malformed"},
      {"chad cut short in version 2", DisplayProfile(0x02400000, [](TestProfile& p) {
         p.Tag(kIccTagChromaticAdaptation, TagHead(kIccTypeS15Fixed16Array));
       }), kFormatRgb8, 0, CLR_OK, "source"},
      {"white point cut short", DisplayProfile(0x04300000, [](TestProfile& p) { p.Tag(kIccTagMediaWhite, TagHead(kIccTypeXyz)); }),
       kFormatRgb8, 1, CLR_ERR_PROFILE_MISMATCH, "tag wtpt ('XYZ ') is cut short or malformed"},
      {"matrix/curve for four channels", DisplayProfile(), kFormat4x16, 0, CLR_ERR_PROFILE_MISMATCH,
       "it has no A2B0 table, and a matrix/curve model serves 3 channels, not 4"},
      {"format without a packer", DisplayProfile(), 0x40011, 1, CLR_ERR_COLORSPACE, "does not convert through profiles"},
  };
  const Bytes lab = LabIdentityProfile();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ProfilePtr p = TestProfile::OpenBytes(c.profile);
    ASSERT_NE(p, nullptr);
    IccRefusal why{};
    EXPECT_EQ(IccCheckProfile(p.get(), c.format, c.side, &why), c.status);
    EXPECT_NE(std::string(why.text).find(c.reason), std::string::npos) << why.text;
    int32_t status = 0;
    const TransformPtr t = c.side == 0 ? BuildFromBytes(c.profile, c.format, lab, kFormatLab8, &status)
                                       : BuildFromBytes(lab, kFormatLab8, c.profile, c.format, &status);
    EXPECT_EQ(status, c.status) << "the build";
  }
}

// From a file, the reason starts with the profile's version, class and spaces; a
// file that does not open says why, with the status of a build.
TEST(ProfileCheck, FilesAndTheirDescription) {
  TestProfile printer;
  printer.version = 0x04300000, printer.deviceClass = kIccClassOutput;
  printer.colorSpace = kIccSpaceCmyk, printer.connectionSpace = kIccSpaceLab;
  printer.Tag(kIccTagBToA0, TagHead(IccSignature("mpet")));
  Bytes notAProfile = printer.Build(), tooLong = printer.Build();
  notAProfile[36] = 'x';
  SetU32(tooLong, 0, uint32_t(tooLong.size() + 1));
  TestProfile odd;
  odd.version = 0x02100000, odd.deviceClass = IccSignature("\x01xyz"), odd.colorSpace = kIccSpaceCmyk;
  const std::tuple<const char*, std::string, int32_t, std::string> cases[] = {
      {"refused", WriteTempFile("check_printer.icc", printer.Build()), CLR_ERR_PROFILE_MISMATCH,
       "version 4.3 output profile (CMYK, PCS Lab): tag B2A0 has type 'mpet', which is not supported"},
      {"unknown class", WriteTempFile("check_odd.icc", odd.Build()), CLR_ERR_PROFILE_MISMATCH,
       "version 2.1 0x0178797A-class profile (CMYK, PCS XYZ): tag rXYZ is missing"},
      {"missing", ::testing::TempDir() + "check_no_such.icc", CLR_ERR_PROFILE_OPEN,
       "the file cannot be read (system error 2)"},
      {"not a profile", WriteTempFile("check_not.icc", notAProfile), CLR_ERR_PROFILE_OPEN,
       "the file is not an ICC profile"},
      {"declared size beyond the file", WriteTempFile("check_long.icc", tooLong), CLR_ERR_PROFILE_OPEN,
       "the profile's declared size does not fit"},
  };
  for (const auto& [what, path, status, reason] : cases) {
    char text[200];
    EXPECT_EQ(IccCheckProfileFile(path.c_str(), kFormatCmyk8, 1, text, sizeof text), status) << what;
    EXPECT_EQ(std::string(text).substr(0, reason.size()), reason) << what;
  }
}

// Every allocation of a check may fail: opening the profile (three allocations)
// gives CLR_ERR_PROFILE_OPEN, building the side CLR_ERR_PROFILE_MISMATCH, and
// what was made is released (the sanitizer build checks for leaks); once memory
// suffices the check says what it says without failures.
TEST(ProfileCheck, FailsCleanlyAtEveryAllocation) {
  TestLutAB toPcs = CurvesOnly(true), fromPcs = CurvesOnly(false, 4);
  toPcs.m.assign(3, CurveTag({})), toPcs.matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
  const std::tuple<const char*, std::string, uint32_t> cases[] = {
      {"matrix/curve", WriteTempFile("alloc_check_display.icc", DisplayProfile()), kFormatRgb8},
      {"version 2 tables", WriteTempFile("alloc_check_lab.icc", LabIdentityProfile()), kFormatLab8},
      {"version 4 tables, A2B0 a channel short", WriteTempFile("alloc_check_v4.icc",
                                         WithTables(kIccSpaceCmyk, kIccSpaceLab, LutABTag(CurvesOnly(true, 3)),
                                                    LutABTag(fromPcs))),
       kFormatCmyk8},
      {"version 4 tables with a matrix", WriteTempFile("alloc_check_v4m.icc",
                                                       WithTables(kIccSpaceRgb, kIccSpaceXyz, LutABTag(toPcs), {})),
       kFormatRgb8},
  };
  for (const auto& [what, path, format] : cases) {
    for (int32_t side : {kIccSideSource, kIccSideDestination}) {
      char expected[200], text[200];
      const int32_t want = IccCheckProfileFile(path.c_str(), format, side, expected, sizeof expected);
      std::multiset<int32_t> statuses;
      for (long n = 0;; ++n) {
        SetAllocationFailure(n);
        const int32_t status = IccCheckProfileFile(path.c_str(), format, side, text, sizeof text);
        SetAllocationFailure(-1);
        if (status == want && std::string(text) == expected) break;
        statuses.insert(status);
        ASSERT_LT(n, 100) << what << " never checks as without failures: " << text;
      }
      // Reading takes three allocations, checking a side more where it gets that far.
      EXPECT_GE(statuses.size(), 3u) << what << " side " << side;
      EXPECT_EQ(statuses.count(CLR_ERR_NOMEM), statuses.size()) << what << " side " << side;
    }
  }
}

}  // namespace
}  // namespace qclr
