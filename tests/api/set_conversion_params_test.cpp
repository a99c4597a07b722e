#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/clr_handle.h"
#include "api/lab_records.h"
#include "direct/color_space.h"
#include "qclr/qclr.h"
#include "support/handle_fixtures.h"
#include "support/lab_test_records.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::HandleGuard;
using test::Params;
using V = std::vector<uint8_t>;

ClrHandle* Make(int32_t src, int32_t dst, ConversionParams* p) {
  ClrHandle* h = nullptr;
  EXPECT_EQ(Q_ClrInit(&h, src, dst, p), CLR_OK);
  return h;
}

// The results of two handles between the same spaces for one random image.
void ExpectSameResults(ClrHandle* a, ClrHandle* b, uint32_t seed = 1) {
  const int32_t width = 12, height = 3;
  size_t inBytes = 0, outBytes = 0;
  ASSERT_TRUE(BufferBytes(a->srcSpace, width, height, 4, &inBytes));
  ASSERT_TRUE(BufferBytes(a->dstSpace, width, height, 8, &outBytes));
  const V src = test::RandomBytes(inBytes, seed);
  V outA(outBytes, 0x5A), outB(outBytes, 0x5A);
  ASSERT_EQ(Q_ClrConvert(a, src.data(), outA.data(), width, height, 4, 8), CLR_OK);
  ASSERT_EQ(Q_ClrConvert(b, src.data(), outB.data(), width, height, 4, 8), CLR_OK);
  EXPECT_EQ(outA, outB);
}

V RecordBytes(const ClrHandle* h) {
  const auto* p = reinterpret_cast<const uint8_t*>(h);
  return {p, p + sizeof(ClrHandle)};
}

TEST(SetConversionParams, RefusalsByGroup) {
  static CmykOptions cmyk;
  static LabOptions lab;
  static YuvLayout yuv;
  static WhitePoint white;
  static int32_t offsets[] = {0, 2, 1, 3};
  struct Case {
    const char* what;
    int32_t src, dst;
    std::function<void(ConversionParams&)> edit;
    int32_t status;
  };
  const std::string unterminated(QCLR_FILE_NAME_SIZE, 'n');
  const Case cases[] = {
      {"CMYK options without a CMYK side", CSP_RGB, CSP_LAB,
       [](auto& p) { p.flags = 16; p.cmykOptions = &cmyk; }, CLR_ERR_METHOD},
      {"no CMYK options", CSP_CMYK, CSP_RGB, [](auto& p) { p.flags = 16; }, CLR_ERR_PARAM},
      {"black generation 1001", CSP_CMYK, CSP_RGB,
       [](auto& p) { p.flags = 16; cmyk = {0, 1001, 1}; p.cmykOptions = &cmyk; }, CLR_ERR_PARAM},
      {"YUV layout without a YUV side", CSP_RGB, CSP_LAB,
       [](auto& p) { p.flags = 32; p.yuvLayout = &yuv; }, CLR_ERR_METHOD},
      {"no YUV layout", CSP_YUV, CSP_RGB, [](auto& p) { p.flags = 32; }, CLR_ERR_PARAM},
      {"YUV layout without offsets", CSP_YUV, CSP_RGB,
       [](auto& p) { p.flags = 32; yuv = {0, 0, 2, 1, 2, 1, nullptr, 2, 0, 0}; p.yuvLayout = &yuv; },
       CLR_ERR_PARAM},
      {"YUV group of 3 with steps of 2", CSP_YUV, CSP_RGB,
       [](auto& p) { p.flags = 32; yuv = {0, 0, 2, 1, 2, 1, offsets, 3, 0, 0}; p.yuvLayout = &yuv; },
       CLR_ERR_PARAM},
      {"Lab encoding without a Lab side", CSP_CMYK, CSP_RGB,
       [](auto& p) { p.flags = 64; p.labOptions = &lab; }, CLR_ERR_METHOD},
      {"no Lab options", CSP_LAB, CSP_RGB, [](auto& p) { p.flags = 64; }, CLR_ERR_PARAM},
      {"no white point", CSP_CMYK, CSP_RGB, [](auto& p) { p.flags = 4; }, CLR_ERR_PARAM},
      {"white point outside the chromaticities", CSP_CMYK, CSP_RGB,
       [](auto& p) { p.flags = 4; white = {0, 0, 0.0, 0.5}; p.whitePoint = &white; }, CLR_ERR_PARAM},
      {"unterminated profile name", CSP_CMYK, CSP_RGB,
       [&](auto& p) {
         p.flags = 2;
         std::memcpy(p.dstProfileName, unterminated.data(), QCLR_FILE_NAME_SIZE);
         test::SetName(p.srcProfileName, "a.icc");
       },
       CLR_ERR_FILE_NAME},
      {"unterminated table name", CSP_CMYK, CSP_RGB,
       [&](auto& p) { p.flags = 8; std::memcpy(p.tableFileName, unterminated.data(), QCLR_FILE_NAME_SIZE); },
       CLR_ERR_FILE_NAME},
      {"method not prepared", CSP_CMYK, CSP_RGB,
       [](auto& p) { p.flags = 1; p.method = METHOD_CUSTOM_TABLES; }, CLR_ERR_METHOD},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionParams init = Params(METHOD_BUILTIN, METHOD_BUILTIN);
    HandleGuard g;
    g.h = Make(c.src, c.dst, &init);
    ConversionParams p = Params(METHOD_BUILTIN, 0);
    c.edit(p);
    const V before = RecordBytes(g.h);
    EXPECT_EQ(Q_ClrSetConversionParams(g.h, &p), c.status);
    EXPECT_EQ(RecordBytes(g.h), before);  // a refused group changes nothing
  }

  HandleGuard g;
  g.h = Make(CSP_HSV, CSP_RGB, nullptr);
  EXPECT_EQ(Q_ClrSetConversionParams(g.h, nullptr), CLR_ERR_SAME_BUFFER);
  ClrHandle* freed = Make(CSP_HSV, CSP_RGB, nullptr);
  ASSERT_EQ(Q_ClrFree(freed), CLR_OK);
  ConversionParams p = Params(METHOD_BUILTIN, 1);
  EXPECT_EQ(Q_ClrSetConversionParams(freed, &p), CLR_ERR_PARAM);
  p.flags = 0;  // no group: nothing changes
  const V before = RecordBytes(g.h);
  EXPECT_EQ(Q_ClrSetConversionParams(g.h, &p), CLR_OK);
  EXPECT_EQ(RecordBytes(g.h), before);
}

TEST(SetConversionParams, SwitchesAmongPreparedMethods) {
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN | METHOD_ICC);
  HandleGuard g, icc;
  g.h = Make(CSP_CMYK, CSP_RGB, &p);
  p.method = METHOD_ICC;
  icc.h = Make(CSP_CMYK, CSP_RGB, &p);

  ConversionParams change = Params(METHOD_ICC, 1);
  ASSERT_EQ(Q_ClrSetConversionParams(g.h, &change), CLR_OK);
  ExpectSameResults(g.h, icc.h);
  for (int32_t unprepared : {METHOD_CUSTOM_ICC, METHOD_CUSTOM_TABLES, METHOD_BUILTIN_TABLES}) {
    change.method = unprepared;
    EXPECT_EQ(Q_ClrSetConversionParams(g.h, &change), CLR_ERR_METHOD);
    EXPECT_EQ(g.h->method, METHOD_ICC);
  }
  change.method = METHOD_AUTO;  // not a method value: stored, refused when converting
  EXPECT_EQ(Q_ClrSetConversionParams(g.h, &change), CLR_OK);
  V src(4, 0), dst(3, 0x5A);
  EXPECT_EQ(Q_ClrConvert(g.h, src.data(), dst.data(), 1, 1, 0, 0), CLR_ERR_METHOD);
}

// Each change converts like a handle created with the changed parameters.
TEST(SetConversionParams, ChangesConvertLikeNewHandles) {
  // Black generation: a copy is made, then its value follows mask bit 1.
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 600, 0};
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  HandleGuard ink, inkRef;
  ink.h = Make(CSP_CMYK, CSP_BGR, &p);
  p.cmykOptions = &cmyk;
  inkRef.h = Make(CSP_CMYK, CSP_BGR, &p);
  p.flags = 16;
  cmyk.mask = 0;
  ASSERT_EQ(Q_ClrSetConversionParams(ink.h, &p), CLR_OK);
  ExpectSameResults(ink.h, inkRef.h);
  cmyk.value = 100;  // without mask bit 1 the copy keeps 600
  ASSERT_EQ(Q_ClrSetConversionParams(ink.h, &p), CLR_OK);
  ExpectSameResults(ink.h, inkRef.h);
  cmyk.mask = 1;
  ASSERT_EQ(Q_ClrSetConversionParams(ink.h, &p), CLR_OK);
  EXPECT_EQ(ink.h->cmykOptions->value, 100);

  // Lab encoding: the fields the mask selects.
  LabOptions lab = test::kDefaultLabEncoding;
  p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.labOptions = &lab;
  HandleGuard decode, decodeRef;
  decode.h = Make(CSP_LAB, CSP_RGB, &p);
  lab = test::LabEncoding(20, 80, 128, 150, 100, 190);
  decodeRef.h = Make(CSP_LAB, CSP_RGB, &p);
  lab.aOffset = 50;  // not selected: the handle keeps 128
  lab.mask = 1 | 2 | 8 | 16 | 32;
  p.flags = 64;
  ASSERT_EQ(Q_ClrSetConversionParams(decode.h, &p), CLR_OK);
  ExpectSameResults(decode.h, decodeRef.h);

  // White point of the ICC method, by chromaticity and by temperature.
  WhitePoint white{0, 0, 0.3127, 0.3290};
  p = Params(METHOD_ICC, METHOD_ICC);
  HandleGuard icc, iccRef, iccTemp;
  icc.h = Make(CSP_RGB, CSP_CMYK, &p);
  p.whitePoint = &white;
  iccRef.h = Make(CSP_RGB, CSP_CMYK, &p);
  p.flags = 4;
  ASSERT_EQ(Q_ClrSetConversionParams(icc.h, &p), CLR_OK);
  ExpectSameResults(icc.h, iccRef.h);
  white = {65, 0, 0, 0};
  p.flags = METHOD_ICC;
  iccTemp.h = Make(CSP_RGB, CSP_CMYK, &p);
  p.flags = 4;
  ASSERT_EQ(Q_ClrSetConversionParams(icc.h, &p), CLR_OK);
  ExpectSameResults(icc.h, iccTemp.h);
}

TEST(SetConversionParams, CustomProfilesAndTables) {
  test::ProfileFiles files;
  // Bit 2 builds the custom transform even when the method was not prepared;
  // freeing the handle releases it (the sanitizer build sees a leak otherwise).
  ConversionParams p = Params(METHOD_ICC, METHOD_ICC);
  HandleGuard icc;
  icc.h = Make(CSP_CMYK, CSP_RGB, &p);
  p.flags = 2;
  test::SetName(p.srcProfileName, files.cmyk);
  test::SetName(p.dstProfileName, files.rgb);
  ASSERT_EQ(Q_ClrSetConversionParams(icc.h, &p), CLR_OK);
  EXPECT_NE(icc.h->customIccTransform, nullptr);

  // Bits 4 and 2 on a custom-profile handle: new names, new white point.
  const std::string rgbCopy = files.dir.Write("rgb2.icc", test::ResourceCopy("ICM", 105));
  ConversionParams init = Params(METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC);
  test::SetName(init.srcProfileName, files.rgb);
  test::SetName(init.dstProfileName, files.lab);
  HandleGuard custom, customRef;
  custom.h = Make(CSP_RGB, CSP_LAB, &init);
  WhitePoint white{75, 0, 0, 0};
  init.whitePoint = &white;
  customRef.h = Make(CSP_RGB, CSP_LAB, &init);
  p.flags = 4 | 2;
  p.whitePoint = &white;
  test::SetName(p.srcProfileName, rgbCopy);
  test::SetName(p.dstProfileName, files.lab);
  ASSERT_EQ(Q_ClrSetConversionParams(custom.h, &p), CLR_OK);
  EXPECT_STREQ(custom.h->srcProfileName, rgbCopy.c_str());
  ExpectSameResults(custom.h, customRef.h);

  // Two-step handles convert by the formulas and keep no transform.
  p = Params(METHOD_ICC, METHOD_ICC | METHOD_BUILTIN);
  HandleGuard twoStep;
  twoStep.h = Make(CSP_CMYK, CSP_LAB, &p);
  p.flags = 4 | 2;
  p.whitePoint = &white;
  test::SetName(p.srcProfileName, files.cmyk);
  test::SetName(p.dstProfileName, files.lab);
  EXPECT_EQ(Q_ClrSetConversionParams(twoStep.h, &p), CLR_OK);
  EXPECT_EQ(twoStep.h->iccTransform, nullptr);
  EXPECT_EQ(twoStep.h->customIccTransform, nullptr);

  // Bit 8: a BGR to Lab handle takes a table of 108300 bytes, as RGB to Lab does.
  const V table = test::ResourceCopy("ET", 113);
  const std::string tableFile = files.dir.Write("lab.tif", test::MinimalTableTiff(table, 190));
  p = Params(METHOD_BUILTIN_TABLES, METHOD_BUILTIN_TABLES | METHOD_CUSTOM_TABLES);
  test::SetName(p.tableFileName, files.rgb);  // not a table: refused at creation
  HandleGuard tables;
  ASSERT_EQ(Q_ClrInit(&tables.h, CSP_BGR, CSP_LAB, &p), CLR_ERR_TABLE_FORMAT);
  p.flags = METHOD_BUILTIN_TABLES;
  tables.h = Make(CSP_BGR, CSP_LAB, &p);
  p.flags = 8 | 1;
  p.method = METHOD_CUSTOM_TABLES;  // not prepared: the method group fails first
  EXPECT_EQ(Q_ClrSetConversionParams(tables.h, &p), CLR_ERR_METHOD);
  p.flags = 8;
  test::SetName(p.tableFileName, tableFile);
  ASSERT_EQ(Q_ClrSetConversionParams(tables.h, &p), CLR_OK);
  ASSERT_NE(tables.h->customTable, nullptr);
  EXPECT_EQ(V(tables.h->customTable, tables.h->customTable + 108300), table);
  EXPECT_STREQ(tables.h->tableFileName, tableFile.c_str());

  // Bit 4 with the custom-table method active changes nothing.
  tables.h->method = METHOD_CUSTOM_TABLES;
  p.flags = 4;
  const V before = RecordBytes(tables.h);
  EXPECT_EQ(Q_ClrSetConversionParams(tables.h, &p), CLR_OK);
  EXPECT_EQ(RecordBytes(tables.h), before);
}

TEST(SetConversionParams, CreatesMissingRecords) {
  // Bit 64 on a handle made without Lab options: the D50 decode record with the
  // default encoding, whatever the caller's values.
  LabOptions lab = test::LabEncoding(1, 2, 3, 4, 5, 6);
  lab.mask = 63;
  ConversionParams p = Params(METHOD_BUILTIN, 64);
  p.labOptions = &lab;
  HandleGuard g;
  g.h = Make(CSP_LAB, CSP_BGR, nullptr);
  ASSERT_EQ(Q_ClrSetConversionParams(g.h, &p), CLR_OK);
  auto expected = std::make_unique<LabDecodeTable>();
  SetDefaultLabDecodeParameters(*expected);
  BuildLabDecode(*expected, 45);
  ASSERT_NE(g.h->labDecode, nullptr);
  EXPECT_EQ(std::memcmp(g.h->labDecode, expected.get(), sizeof(LabDecodeTable)), 0);
  EXPECT_EQ(g.h->labDecode->whiteX, 96.421);
  EXPECT_EQ(g.h->labEncode, nullptr);

  // Bit 4 on a handle made without parameters makes its white point copy.
  WhitePoint white{0, 0, 0.31, 0.33};
  p = Params(METHOD_BUILTIN, 4);
  p.whitePoint = &white;
  ASSERT_EQ(Q_ClrSetConversionParams(g.h, &p), CLR_OK);
  ASSERT_NE(g.h->whitePoint, nullptr);
  EXPECT_EQ(g.h->whitePoint->y, 0.33);
}

TEST(SetConversionParams, OffsetsCopyStaysWithinTheArrays) {
  // The handle's copy points to the array given at creation; mask bit 16 copies
  // the entries the layout reads into it and nothing beyond.
  int32_t handleArray[8] = {0, 2, 1, 3, 99, 99, 99, 99};
  int32_t callerArray[8] = {1, 3, 0, 2, 77, 77, 77, 77};
  YuvLayout layout{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, handleArray, 2, 0, 0};
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.yuvLayout = &layout;
  HandleGuard g, ref;
  g.h = Make(CSP_YUV, CSP_RGB, &p);
  YuvLayout change{0, 16, 0, 0, 0, 0, callerArray, 0, 0, 0};
  p.yuvLayout = &change;
  p.flags = 32;
  ASSERT_EQ(Q_ClrSetConversionParams(g.h, &p), CLR_OK);
  EXPECT_EQ(std::vector<int32_t>(handleArray, handleArray + 8),
            (std::vector<int32_t>{1, 3, 0, 2, 99, 99, 99, 99}));
  layout.sampleOffsets = callerArray;
  p.yuvLayout = &layout;
  p.flags = METHOD_BUILTIN;
  ref.h = Make(CSP_YUV, CSP_RGB, &p);
  ExpectSameResults(g.h, ref.h);

  // Planar layouts: the plane-order entry alone.
  int32_t planes[4] = {0, 99, 99, 99};
  int32_t newPlanes[4] = {4, 77, 77, 77};
  YuvLayout planar{QCLR_YUV_LAYOUT_SIZE, 0, 2, 2, 2, 2, planes, 1, 0, 1};
  p.yuvLayout = &planar;
  HandleGuard h;
  h.h = Make(CSP_YUV, CSP_BGR, &p);
  change = {0, 16, 0, 0, 0, 0, newPlanes, 0, 0, 1};
  p.yuvLayout = &change;
  p.flags = 32;
  ASSERT_EQ(Q_ClrSetConversionParams(h.h, &p), CLR_OK);
  EXPECT_EQ(std::vector<int32_t>(planes, planes + 4), (std::vector<int32_t>{4, 99, 99, 99}));
}

TEST(SetConversionParams, FailuresKeepEarlierGroups) {
  // A refused group: the groups before it stay applied.
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 300, 1};
  LabOptions lab = test::kDefaultLabEncoding;
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN | METHOD_ICC);
  HandleGuard g;
  g.h = Make(CSP_CMYK, CSP_RGB, &p);
  p = Params(METHOD_ICC, 1 | 16 | 64);
  p.cmykOptions = &cmyk;
  p.labOptions = &lab;
  EXPECT_EQ(Q_ClrSetConversionParams(g.h, &p), CLR_ERR_METHOD);
  EXPECT_EQ(g.h->method, METHOD_ICC);
  ASSERT_NE(g.h->cmykOptions, nullptr);
  EXPECT_EQ(g.h->cmykOptions->value, 300);

  // A failed allocation releases what this call created, and only that.
  test::ScratchDir dir;
  const std::string table = dir.Write("t.tif", test::MinimalTableTiff(test::ResourceCopy("ET", 112), 190));
  for (bool hadDecode : {false, true}) {
    SCOPED_TRACE(hadDecode ? "decode record made at creation" : "no decode record");
    ConversionParams init = Params(METHOD_BUILTIN, METHOD_BUILTIN);
    init.labOptions = hadDecode ? &lab : nullptr;
    HandleGuard h;
    h.h = Make(CSP_LAB, CSP_RGB, &init);
    p = Params(METHOD_BUILTIN, 64 | 8);
    LabOptions change = test::LabEncoding(0, 90, 0, 0, 0, 0);
    change.mask = 2;
    p.labOptions = &change;
    test::SetName(p.tableFileName, table);
    bool done = false;
    for (long n = 0; n < 10 && !done; ++n) {
      SetAllocationFailure(n);
      const int32_t status = Q_ClrSetConversionParams(h.h, &p);
      SetAllocationFailure(-1);
      done = status == CLR_OK;
      if (done) break;
      EXPECT_EQ(status, CLR_ERR_NOMEM);
      EXPECT_EQ(h.h->customTable, nullptr);
      EXPECT_EQ(h.h->labDecode != nullptr, hadDecode);
      if (hadDecode) {
        EXPECT_EQ(h.h->labDecode->lRange, 90);  // changed, and kept
      }
    }
    EXPECT_TRUE(done);
    EXPECT_NE(h.h->customTable, nullptr);
  }
}

}  // namespace
}  // namespace qclr
