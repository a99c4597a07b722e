// Opening profiles and reading their tags.

#include <filesystem>

#include "icc_test_support.h"

namespace qclr {
namespace {

using namespace test;

ProfilePtr Open(const Bytes& b) { return TestProfile::OpenBytes(b); }

// Each refused from memory and from a file. A profile is as long as its header
// says: a declared size larger than the bytes, or too small for the header and the
// directory, is refused too.
TEST(IccOpen, RefusesWhatCannotBeAProfile) {
  const Bytes valid = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(1, 2, 3)).Build();
  const auto with = [&valid](size_t at, uint32_t v) {
    Bytes b = valid;
    test::SetU32(b, at, v);
    return b;
  };
  Bytes wrongMagic = valid;
  wrongMagic[36] = 'b';
  const uint32_t size = uint32_t(valid.size());
  const std::pair<const char*, Bytes> cases[] = {
      {"empty", {}},
      {"shorter than the header", Bytes(valid.begin(), valid.begin() + 127)},
      {"no tag count", Bytes(valid.begin(), valid.begin() + 131)},
      {"directory cut short", Bytes(valid.begin(), valid.begin() + 140)},
      {"signature not acsp", wrongMagic},
      {"tag count 2^32 - 1", with(128, 0xFFFFFFFF)},
      {"directory one entry past the end", with(128, (size - 132) / 12 + 1)},
      {"declared one byte more than there is", with(0, size + 1)},
      {"declared 0", with(0, 0)},
      {"declared without the whole directory", with(0, 132 + 12 - 1)},
      {"declared 4 GiB - 1", with(0, 0xFFFFFFFF)},
  };
  for (const auto& [what, bytes] : cases) {
    EXPECT_EQ(Open(bytes), nullptr) << what;
    EXPECT_EQ(ProfilePtr(IccOpenProfileFromFile(test::WriteTempFile("refused.icc", bytes).c_str())), nullptr) << what;
  }
  EXPECT_NE(Open(valid), nullptr);
  EXPECT_EQ(IccOpenProfileFromMem(nullptr, 500), nullptr);
  EXPECT_EQ(IccCloseProfile(nullptr), 0);
  const std::string dir = ::testing::TempDir();
  for (const std::string& path : {dir + "no-such-profile.icc", dir + "no-such-folder/p.icc", dir, std::string()}) {
    EXPECT_EQ(IccOpenProfileFromFile(path.c_str()), nullptr) << path;
  }
  EXPECT_EQ(IccOpenProfileFromFile(nullptr), nullptr);
}

// The header fields as stored; the profile keeps its own copy of the block, and
// the first directory entry of a signature wins.
TEST(IccOpen, KeepsTheHeaderAndItsOwnCopy) {
  TestProfile t;
  t.deviceClass = kIccClassOutput, t.colorSpace = kIccSpaceCmyk, t.connectionSpace = kIccSpaceLab;
  t.renderingIntent = 3;
  t.illuminant[0] = int32_t(0x80000000), t.illuminant[1] = -65536 - 32768, t.illuminant[2] = 0x7FFFFFFF;
  Bytes b = t.Tag(kIccTagMediaWhite, test::XyzTag(1 << 16, 2 << 16, 3 << 16))
                .Tag(kIccTagMediaWhite, test::XyzTag(5 << 16, 5 << 16, 5 << 16))
                .Build();
  const ProfilePtr p = Open(b);
  ASSERT_NE(p, nullptr);
  std::fill(b.begin(), b.end(), 0);
  EXPECT_EQ(std::vector<uint32_t>({IccGetDeviceClass(p.get()), IccGetColorSpace(p.get()),
                                   IccGetConnectionSpace(p.get()), IccGetRenderingIntent(p.get())}),
            std::vector<uint32_t>({kIccClassOutput, kIccSpaceCmyk, kIccSpaceLab, 3}));
  double xyz[3];
  IccGetIlluminant(p.get(), xyz);
  EXPECT_EQ(std::vector<double>(xyz, xyz + 3), std::vector<double>({-32768.0, -1.5, 2147483647.0 / 65536.0}));
  EXPECT_FALSE(IccIsTag(p.get(), kIccTagMediaBlack));
  ASSERT_EQ(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), 1);
  EXPECT_EQ(std::vector<double>(xyz, xyz + 3), std::vector<double>({1.0, 2.0, 3.0}));
}

// A tag is read only within the profile and its declared size, and from behind the
// header and the directory: no reader takes what does not fit there (the media
// points fall back to D50 and black), though the profile's bytes go on.
TEST(IccOpen, ReadsEachTagOnlyWithinTheProfileAndItsDeclaredSize) {
  TestLut lut;
  lut.values = test::Ramp(2);
  for (int i = 0; i < 2; ++i) lut.values.insert(lut.values.end(), lut.values.begin(), lut.values.begin() + 2);
  lut.values.resize(6 + 8 * 3, 0x4000);
  lut.values.insert(lut.values.end(), {0, 65535, 0, 65535, 0, 65535});
  const Bytes curve = test::CurveTag(test::Ramp(100)), table = test::LutTag(lut),
              white = test::XyzTag(1 << 16, 2 << 16, 3 << 16);
  const uint32_t tags[4] = {kIccTagRedCurve, kIccTagAToB0, kIccTagMediaBlack, kIccTagMediaWhite};
  const Bytes valid =  // the white point last, where cutting the bytes cuts it
      TestProfile().Tag(tags[0], curve).Tag(tags[1], table).Tag(tags[2], white).Tag(tags[3], white).Build();
  const ProfilePtr whole = Open(valid);
  double xyz[3];
  ASSERT_NE(CurvePtr(IccReadCurve(whole.get(), tags[0])), nullptr);
  ASSERT_NE(LutPtr(IccReadLut(whole.get(), tags[1])), nullptr);
  ASSERT_EQ(IccReadXYZ(whole.get(), tags[2], xyz) + IccReadXYZ(whole.get(), tags[3], xyz), 2);
  const auto offset = [&valid](size_t index) { return GetU32(valid, TestProfile::EntryAt(index) + 4); };
  const uint32_t end = uint32_t(valid.size());
  const std::tuple<const char*, size_t, uint32_t, uint32_t, size_t> cases[] = {  // entry, offset, size, bytes kept
      {"curve one byte short", 0, offset(0), uint32_t(curve.size() - 1), end},
      {"curve of size 0", 0, offset(0), 0, end},
      {"table one byte short", 1, offset(1), uint32_t(table.size() - 1), end},
      {"table of 12 bytes", 1, offset(1), 12, end},
      {"black of size 0", 2, offset(2), 0, end},
      {"white of 19 bytes", 3, offset(3), 19, end},
      {"white cut to its head", 3, offset(3), 8, end},
      // The white point's bytes in the header's reserved bytes, then over the
      // directory's last entries.
      {"white in the header", 3, 100, 20, end},
      {"white over the directory", 3, uint32_t(TestProfile::EntryAt(3) - 8), 20, end},
      {"offset past the end", 3, end + 4, 20, end},
      {"size past the end", 3, end - 20, 24, end},
      {"offset plus size wraps", 3, 0xFFFFFFF0u, 0x20, end},
      {"huge size", 3, end - 20, 0xFFFFFFFFu, end},
      {"data cut short", 3, end - 20, 8, end - 4},
      {"head cut short", 3, end - 4, 4, end},
  };
  for (const auto& [what, entry, at, size, keep] : cases) {
    SCOPED_TRACE(what);
    Bytes b(valid.begin(), valid.begin() + ptrdiff_t(keep));
    if (at == 100) std::copy(white.begin(), white.end(), b.begin() + 100);
    test::SetU32(b, 0, uint32_t(keep));
    test::SetU32(b, TestProfile::EntryAt(entry) + 4, at);
    test::SetU32(b, TestProfile::EntryAt(entry) + 8, size);
    const ProfilePtr p = Open(b);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(CurvePtr(IccReadCurve(p.get(), tags[entry])), nullptr);
    EXPECT_EQ(LutPtr(IccReadLut(p.get(), tags[entry])), nullptr);
    if (entry < 2) continue;
    EXPECT_EQ(IccReadXYZ(p.get(), tags[entry], xyz), -2);
    if (entry == 2) {
      EXPECT_EQ(IccReadMediaBlackPoint(p.get(), xyz), -1);
      EXPECT_EQ(std::vector<double>(xyz, xyz + 3), std::vector<double>(3, 0.0));
    } else {
      EXPECT_EQ(IccReadMediaWhitePoint(p.get(), xyz), -1);
      EXPECT_EQ(std::vector<double>(xyz, xyz + 3), std::vector<double>({0.964294, 1.0, 0.825104}));
    }
  }
}

// A longer file or block is read only as far as the header says (a tag beyond it
// lies outside the profile). (A profile file was once read whole, whatever its
// length; shorter ones are refused above.)
TEST(IccOpen, TakesTheSizeTheHeaderDeclares) {
  const Bytes valid = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(1 << 16, 2 << 16, 3 << 16)).Build();
  const uint32_t size = uint32_t(valid.size());
  Bytes longer = valid;
  longer.resize(valid.size() + 1000, 0x77);
  const std::string longerFile = test::WriteTempFile("longer.icc", longer);
  const std::string sparseFile = test::WriteTempFile("sparse.icc", valid);
  std::filesystem::resize_file(sparseFile, uintmax_t{1} << 30);
  const ProfilePtr opened[] = {Open(longer), ProfilePtr(IccOpenProfileFromFile(longerFile.c_str())),
                               ProfilePtr(IccOpenProfileFromFile(sparseFile.c_str()))};
  for (const ProfilePtr& p : opened) {
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->size, size);
    double xyz[3];
    EXPECT_EQ(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), 1);
    EXPECT_EQ(xyz[2], 3.0);
  }
  std::filesystem::remove(sparseFile);
  Bytes tagBeyond = valid;  // the white point is the last tag
  test::SetU32(tagBeyond, 0, size - 20);
  const ProfilePtr p = Open(tagBeyond);
  ASSERT_NE(p, nullptr);
  double xyz[3];
  EXPECT_LT(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), 0);
}

// A file profile keeps its name (cut to 259 characters). An open allocates three
// times; a failure of any releases the others (the sanitizer checks for leaks).
TEST(IccOpen, FilesKeepTheirNameAndFailuresReleaseEverything) {
  const Bytes b = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(65536, 65536, 65536)).Build();
  const std::string path = test::WriteTempFile("profile.icc", b);
  ProfilePtr p(IccOpenProfileFromFile(path.c_str()));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p->fileName), path);
  std::string longPath = ::testing::TempDir();
#ifdef _WIN32
  // Windows opens no 8-bit path of 260 characters or more: the longest that opens,
  // 259 characters, is kept whole, and one more fails.
  while (longPath.size() + 2 + 11 <= 259) longPath += "./";
  if (longPath.size() + 11 < 259) longPath += "/";
  longPath += "profile.icc";
  ASSERT_EQ(longPath.size(), 259u);
  EXPECT_EQ(IccOpenProfileFromFile(("/" + longPath).c_str()), nullptr);
  p.reset(IccOpenProfileFromFile(longPath.c_str()));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p->fileName), longPath);
#else
  while (longPath.size() < 300) longPath += "./";
  longPath += "profile.icc";
  p.reset(IccOpenProfileFromFile(longPath.c_str()));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::string(p->fileName), longPath.substr(0, 259));
#endif

  EXPECT_EQ(test::FailuresUntilSuccess([&] { return ProfilePtr(IccOpenProfileFromFile(path.c_str())) != nullptr; }), 3);
  EXPECT_EQ(test::FailuresUntilSuccess([&] { return Open(b) != nullptr; }), 3);
}

TEST(IccReadXYZ, TypesAndMediaPointFallbacks) {
  const std::pair<uint32_t, int32_t> types[] = {
      {kIccTypeXyz, 1}, {kIccTypeXyzLegacy, 1}, {kIccTypeCurve, -1}, {0x58595A21, -1}};
  for (const auto& [type, expected] : types) {
    const ProfilePtr p = TestProfile().Tag(kIccTagMediaWhite, test::XyzTag(0xF6D6, 0x10000, -0x8000, type)).Open();
    double xyz[3] = {7, 7, 7};
    EXPECT_EQ(IccReadXYZ(p.get(), kIccTagMediaWhite, xyz), expected) << std::hex << type;
    EXPECT_EQ(xyz[0], expected == 1 ? 0.964202880859375 : 7.0);
    EXPECT_EQ(xyz[2], expected == 1 ? -0.5 : 7.0);
  }
  // Absent or of the wrong type: D50 and black.
  const ProfilePtr fallbacks[] = {
      TestProfile().Open(),
      TestProfile().Tag(kIccTagMediaWhite, test::CurveTag({})).Tag(kIccTagMediaBlack, test::CurveTag({})).Open()};
  for (const ProfilePtr& p : fallbacks) {
    double white[3], black[3] = {5, 5, 5};
    EXPECT_EQ(IccReadMediaWhitePoint(p.get(), white) + IccReadMediaBlackPoint(p.get(), black), 0);
    EXPECT_EQ(std::vector<double>(white, white + 3), std::vector<double>({0.964294, 1.0, 0.825104}));
    EXPECT_EQ(std::vector<double>(black, black + 3), std::vector<double>(3, 0.0));
  }
  const ProfilePtr both = TestProfile()
                              .Tag(kIccTagMediaWhite, test::XyzTag(0x10000, 0x10000, 0x10000))
                              .Tag(kIccTagMediaBlack, test::XyzTag(0x100, 0x200, 0x300))
                              .Open();
  double white[3], black[3];
  EXPECT_EQ(IccReadMediaWhitePoint(both.get(), white) + IccReadMediaBlackPoint(both.get(), black), 2);
  EXPECT_EQ(white[2] + black[2], 1.0 + 0x300 / 65536.0);
}

TEST(IccReadCurve, CountsZeroOneAndMany) {
  // The entries read, or {} for none.
  auto read = [](const Bytes& tag) {
    const CurvePtr c(IccReadCurve(TestProfile().Tag(kIccTagRedCurve, tag).Open().get(), kIccTagRedCurve));
    return c == nullptr ? std::vector<uint16_t>() : std::vector<uint16_t>(c->entries, c->entries + c->count);
  };
  // Count 0: the identity; stored entries big-endian; gamma exactly 0: 256 zeros.
  EXPECT_EQ(read(test::CurveTag({})), (std::vector<uint16_t>{0, 65535}));
  EXPECT_EQ(read(test::CurveTag({0x0102, 0x8000, 0xFFFE})), (std::vector<uint16_t>{0x0102, 0x8000, 0xFFFE}));
  EXPECT_EQ(read(test::CurveTag({0x0000})), std::vector<uint16_t>(256, 0));
  // Count 1: a u8Fixed8 gamma, 0x02 0x33 = 2.19921875, sampled at 256 entries.
  const std::vector<uint16_t> gamma = read(test::CurveTag({0x0233}));
  ASSERT_EQ(gamma.size(), 256u);
  EXPECT_EQ(gamma[255], 65535);
  EXPECT_NEAR(gamma[128], std::pow(128.0 / 255.0, 2.19921875) * 65535.0, 1.0);

  // Wrong type, a count past the tag (which is last, so past the profile), none.
  Bytes cut = test::CurveTag({1, 2, 3, 4}), huge = test::CurveTag({1, 2}), noGamma = test::CurveTag({});
  test::SetU32(cut, 8, 5);
  test::SetU32(huge, 8, 0xFFFFFFFF);
  test::SetU32(noGamma, 8, 1);
  for (const Bytes& tag : {test::XyzTag(1, 2, 3), cut, huge, noGamma, test::TagHead(kIccTypeCurve)})
    EXPECT_TRUE(read(tag).empty());
  EXPECT_EQ(IccReadCurve(TestProfile().Open().get(), kIccTagRedCurve), nullptr);
}

TestLut Shape(uint32_t inputs, uint32_t outputs, uint32_t points, uint32_t inEntries = 2, uint32_t outEntries = 2) {
  TestLut lut;
  lut.inputs = inputs, lut.outputs = outputs, lut.points = points;
  lut.inputEntries = inEntries, lut.outputEntries = outEntries;
  return lut;
}

// `lut` with input curves `in`, grid values counting up from 1 and output curves `out`.
TestLut Filled(TestLut lut = {}, const std::vector<uint16_t>& in = test::Ramp(2),
               const std::vector<uint16_t>& out = test::Ramp(2)) {
  for (uint32_t c = 0; c < lut.inputs; ++c) lut.values.insert(lut.values.end(), in.begin(), in.end());
  size_t grid = lut.outputs;
  for (uint32_t i = 0; i < lut.inputs; ++i) grid *= lut.points;
  for (size_t i = 0; i < grid; ++i) lut.values.push_back(uint16_t((i + 1) % (lut.wide ? 65536 : 256)));
  for (uint32_t c = 0; c < lut.outputs; ++c) lut.values.insert(lut.values.end(), out.begin(), out.end());
  return lut;
}

LutPtr Read(const TestLut& lut) {
  return LutPtr(IccReadLut(TestProfile().Tag(kIccTagAToB0, test::LutTag(lut)).Open().get(), kIccTagAToB0));
}

TEST(IccReadLut, EightBitValuesAreWidenedByAShift) {
  std::vector<uint16_t> identity(256);
  for (int i = 0; i < 256; ++i) identity[size_t(i)] = uint16_t(i);
  TestLut narrow;
  narrow.wide = false;
  TestLut lut = Filled(narrow, identity, identity);
  lut.values[256 * 3] = 0xFF;  // first grid value
  const LutPtr t = Read(lut);
  ASSERT_NE(t, nullptr);
  // i << 8 is never the evenly spaced i * 257, so both curve flags stay.
  EXPECT_EQ(t->flags, LUT_GRID | LUT_PRE_CURVES | LUT_POST_CURVES);
  EXPECT_EQ(std::vector<uint16_t>({t->inputCurves[2][255], t->outputCurves[0][1], t->grid[0], t->grid[23]}),
            std::vector<uint16_t>({0xFF00, 0x0100, 0xFF00, 24 << 8}));
}

TEST(IccReadLut, FlagsOfCurvesAndMatrix) {
  TestLut lut = Filled(Shape(3, 3, 2, 256, 4096), test::Ramp(256), test::Ramp(4096));
  auto flags = [](const TestLut& l) {
    const LutPtr t = Read(l);
    return t != nullptr ? t->flags : ~0u;
  };
  EXPECT_EQ(flags(lut), LUT_GRID);
  lut.values[lut.values.size() - 2] ^= 1;  // one entry off in one output curve
  EXPECT_EQ(flags(lut), LUT_GRID | LUT_POST_CURVES);

  // The matrix differs from the identity beyond 0.0001.
  const std::tuple<int, int32_t, bool> elements[] = {
      {0, 65542, false}, {0, 65549, true}, {8, 65529, true}, {1, 6, false},
      {1, 7, true},      {5, -7, true},    {3, -6, false},   {2, int32_t(0x80000000), true}};
  for (const auto& [element, raw, matrixFlag] : elements) {
    TestLut m = Filled();
    m.matrix[element] = raw;
    const LutPtr t = Read(m);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ((t->flags & LUT_MATRIX) != 0, matrixFlag) << element << " " << raw;
    EXPECT_EQ(t->matrix[element], raw);
  }
}

TEST(IccReadLut, KeepsTheGridOrderAndFillsTheInterpolationParameters) {
  const LutPtr t = Read(Filled(Shape(4, 3, 5, 3, 7), {0, 100, 65535},
                               test::Ramp(7)));
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->flags, LUT_GRID | LUT_PRE_CURVES);
  EXPECT_EQ(t->inputCurves[3][1], 100);
  for (int i = 0; i < 5 * 5 * 5 * 5 * 3; ++i) ASSERT_EQ(t->grid[i], i + 1) << i;
  const InterpParams& g = t->gridParams;
  EXPECT_EQ(std::vector<int32_t>({g.domain, g.stride[0], g.stride[1], g.stride[2], g.stride[3]}),
            std::vector<int32_t>({4, 3, 15, 75, 375}));
  EXPECT_EQ(std::vector<int32_t>({t->inputParams.domain, t->outputParams.domain}), std::vector<int32_t>({2, 6}));

  // Sixteen channels are the most.
  const LutPtr wide = Read(Filled(Shape(16, 16, 2)));
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->grid[(1 << 16) * 16 - 1], uint16_t((1 << 16) * 16));
}

TEST(IccReadLut, RefusesTablesThatCannotBeRead) {
  const std::pair<const char*, void (*)(TestLut*)> cases[] = {
      {"17 inputs", [](TestLut* l) { l->inputs = 17; }},
      {"17 outputs", [](TestLut* l) { l->outputs = 17; }},
      {"no inputs", [](TestLut* l) { l->inputs = 0; }},
      {"no outputs", [](TestLut* l) { l->outputs = 0; }},
      {"one grid point", [](TestLut* l) { l->points = 1; }},
      {"one input entry", [](TestLut* l) { l->inputEntries = 1; }},
      {"no output entries", [](TestLut* l) { l->outputEntries = 0; }},
      {"grid cut short", [](TestLut* l) { l->values.resize(3 * 2 + 8 * 3 - 1); }},
      {"output curve cut short", [](TestLut* l) { l->values.pop_back(); }},
      {"16 inputs of 255 points (overflows 64 bits)", [](TestLut* l) { l->inputs = 16, l->points = 255; }},
      {"65535-entry curves", [](TestLut* l) { l->inputEntries = l->outputEntries = 65535; }},
      {"8-bit table cut short", [](TestLut* l) { l->wide = false, l->values.resize(3 * 256 + 24 + 3 * 255); }},
  };
  for (const auto& [what, change] : cases) {
    TestLut lut = Filled();
    change(&lut);
    EXPECT_EQ(Read(lut), nullptr) << what;
  }
  const ProfilePtr p = TestProfile().Tag(kIccTagAToB0, test::CurveTag({})).Open();
  EXPECT_EQ(IccReadLut(p.get(), kIccTagAToB0), nullptr);
  EXPECT_EQ(IccReadLut(p.get(), kIccTagBToA0), nullptr);
}

TEST(IccReadLut, ReleasesEverythingWhenAnAllocationFails) {
  const ProfilePtr p = TestProfile().Tag(kIccTagAToB0, test::LutTag(Filled())).Open();
  const int failures = test::FailuresUntilSuccess([&] { return LutPtr(IccReadLut(p.get(), kIccTagAToB0)) != nullptr; });
  EXPECT_EQ(failures, 1 + 3 + 1 + 3) << "table, input curves, grid, output curves";
}

}  // namespace
}  // namespace qclr
