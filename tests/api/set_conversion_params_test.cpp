#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "handle/clr_handle.h"
#include "handle/lab_records.h"
#include "qclr/qclr.h"
#include "support/allocation_walk.h"
#include "support/handle_fixtures.h"
#include "support/lab_test_records.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::Params;
using test::SetName;
using V = std::vector<uint8_t>;
using Handle = std::unique_ptr<ClrHandle, decltype(&Q_ClrFree)>;

Handle Make(int32_t src, int32_t dst, ConversionParams* p) {
  ClrHandle* h = nullptr;
  EXPECT_EQ(Q_ClrInit(&h, src, dst, p), CLR_OK);
  return Handle(h, &Q_ClrFree);
}

int32_t Set(const Handle& h, const ConversionParams& p) { return Q_ClrSetConversionParams(h.get(), &p); }

V RecordBytes(const ClrHandle* h) {
  const auto* p = reinterpret_cast<const uint8_t*>(h);
  return {p, p + sizeof(ClrHandle)};
}
V RecordBytes(const Handle& h) { return RecordBytes(h.get()); }

TEST(SetConversionParams, RefusalsByGroupChangeNothing) {
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 1001, 1};
  LabOptions lab{};
  YuvLayout yuv{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, nullptr, 2, 0, 0};
  const std::string unterminated(QCLR_FILE_NAME_SIZE, 'n');
  const struct {
    const char* what;
    int32_t src, dst;
    std::function<void(ConversionParams&)> edit;
    int32_t status;
  } cases[] = {
      {"unprepared", CSP_CMYK, CSP_RGB, [](auto& p) { p.flags = 1, p.method = METHOD_CUSTOM_TABLES; }, CLR_ERR_METHOD},
      {"CMYK, no CMYK side", CSP_RGB, CSP_LAB, [&](auto& p) { p.flags = 16, p.cmykOptions = &cmyk; }, CLR_ERR_METHOD},
      {"no CMYK options", CSP_CMYK, CSP_RGB, [](auto& p) { p.flags = 16; }, CLR_ERR_PARAM},
      {"black 1001", CSP_CMYK, CSP_RGB, [&](auto& p) { p.flags = 16, p.cmykOptions = &cmyk; }, CLR_ERR_PARAM},
      {"YUV, no YUV side", CSP_RGB, CSP_LAB, [&](auto& p) { p.flags = 32, p.yuvLayout = &yuv; }, CLR_ERR_METHOD},
      {"no YUV layout", CSP_YUV, CSP_RGB, [](auto& p) { p.flags = 32; }, CLR_ERR_PARAM},
      {"YUV without offsets", CSP_YUV, CSP_RGB, [&](auto& p) { p.flags = 32, p.yuvLayout = &yuv; }, CLR_ERR_PARAM},
      {"Lab, no Lab side", CSP_CMYK, CSP_RGB, [&](auto& p) { p.flags = 64, p.labOptions = &lab; }, CLR_ERR_METHOD},
      {"no Lab options", CSP_LAB, CSP_RGB, [](auto& p) { p.flags = 64; }, CLR_ERR_PARAM},
      {"no white point", CSP_CMYK, CSP_RGB, [](auto& p) { p.flags = 4; }, CLR_ERR_PARAM},
      {"no group", CSP_HSV, CSP_RGB, [](auto&) {}, CLR_OK},
      {"unterminated profile name", CSP_CMYK, CSP_RGB,
       [&](auto& p) { p.flags = 2, SetName(p.dstProfileName, unterminated), SetName(p.srcProfileName, "a.icc"); },
       CLR_ERR_FILE_NAME},
      {"unterminated table name", CSP_CMYK, CSP_RGB,
       [&](auto& p) { p.flags = 8, SetName(p.tableFileName, unterminated); }, CLR_ERR_FILE_NAME},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionParams init = Params(METHOD_BUILTIN, METHOD_BUILTIN);
    const Handle h = Make(c.src, c.dst, &init);
    ConversionParams p = Params(METHOD_BUILTIN, 0);
    c.edit(p);
    const V before = RecordBytes(h);
    EXPECT_EQ(Set(h, p), c.status);
    EXPECT_EQ(RecordBytes(h), before);
  }
  const Handle h = Make(CSP_HSV, CSP_RGB, nullptr);
  EXPECT_EQ(Q_ClrSetConversionParams(h.get(), nullptr), CLR_ERR_SAME_BUFFER);
  ClrHandle* freed = Make(CSP_HSV, CSP_RGB, nullptr).release();
  ASSERT_EQ(Q_ClrFree(freed), CLR_OK);
  EXPECT_EQ(Q_ClrSetConversionParams(freed, nullptr), CLR_ERR_PARAM);  // the handle first
}

TEST(SetConversionParams, OptionRecords) {
  // Black generation: a copy is made, then its value follows mask bit 1.
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 600, 0};
  ConversionParams p = Params(METHOD_BUILTIN, 16);
  p.cmykOptions = &cmyk;
  const Handle ink = Make(CSP_CMYK, CSP_BGR, nullptr);
  for (const auto& [value, mask, kept] : {std::tuple{600, 0u, 600}, {100, 0u, 600}, {100, 1u, 100}}) {
    cmyk.value = value, cmyk.mask = mask;
    ASSERT_EQ(Set(ink, p), CLR_OK);
    EXPECT_EQ(ink->cmykOptions->value, kept);
  }

  // Lab encoding: the fields the mask selects (not aOffset) and a rebuilt record.
  LabOptions lab = test::kDefaultLabEncoding;
  p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.labOptions = &lab;
  const Handle decode = Make(CSP_LAB, CSP_RGB, &p);
  lab = test::LabEncoding(20, 80, 128, 150, 100, 190);
  const Handle decodeRef = Make(CSP_LAB, CSP_RGB, &p);
  lab.aOffset = 50, lab.mask = 1 | 2 | 8 | 16 | 32;
  p.flags = 64;
  ASSERT_EQ(Set(decode, p), CLR_OK);
  EXPECT_EQ(std::memcmp(decode->labDecode, decodeRef->labDecode, sizeof(LabDecodeTable)), 0);

  // Without Lab options at creation: the D50 record with the default encoding,
  // whatever the caller's values; and a first white point copy.
  const Handle bare = Make(CSP_LAB, CSP_BGR, nullptr);
  WhitePoint white{0, 0, 0.31, 0.33};
  p.whitePoint = &white, p.flags = 64 | 4;
  ASSERT_EQ(Set(bare, p), CLR_OK);
  ASSERT_TRUE(bare->labDecode != nullptr && bare->whitePoint != nullptr);
  const LabDecodeTable& d = *bare->labDecode;
  EXPECT_EQ(std::tuple(d.whiteX, d.lRange, d.aOffset, d.fixedMatrix[0]), std::tuple(96.421, 100, 128, 178890));
  EXPECT_EQ(std::tuple(bare->labEncode, bare->whitePoint->y), std::tuple(nullptr, 0.33));
}

// Decodes width x height pixels of `src` through the handle's described layout.
V Decoded(const Handle& h, const V& src, int32_t width, int32_t height) {
  V out(3 * size_t(width) * size_t(height), 0x5A);
  EXPECT_EQ(Q_ClrConvert(h.get(), src.data(), out.data(), width, height, 0, 0), CLR_OK);
  return out;
}

// The handle keeps its own copy of the offsets its layout reads: the caller's arrays
// are never written and may be reused at once, and a change of the offsets (mask bit
// 16) gets an array of the new layout's size. (The new entries once went into the
// array given at creation, past its end.)
TEST(SetConversionParams, YuvLayoutOffsetsAreTheHandlesOwn) {
  const V src = test::RandomBytes(64, 9);
  std::vector<int32_t> created = {0, 2, 1, 3};  // the layout reads these 4
  created.resize(20, 99);
  const std::vector<int32_t> createdBefore = created;
  YuvLayout layout{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, created.data(), 2, 0, 0};
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.yuvLayout = &layout;
  const Handle h = Make(CSP_YUV, CSP_RGB, &p);
  const V yuy2 = Decoded(h, src, 8, 4);
  std::fill(created.begin(), created.end(), -7);  // the caller reuses its array
  EXPECT_EQ(Decoded(h, src, 8, 4), yuy2);

  // 8 pixels a group sharing U and V in pairs: 8 + 4 + 4 offsets.
  std::vector<int32_t> eight = {1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14};
  YuvLayout change{QCLR_YUV_LAYOUT_SIZE, 16 | 32, 0, 0, 0, 0, eight.data(), 8, 0, 0};
  std::copy(createdBefore.begin(), createdBefore.end(), created.begin());
  p = Params(METHOD_BUILTIN, 32);
  p.yuvLayout = &change;
  ASSERT_EQ(Set(h, p), CLR_OK);
  EXPECT_EQ(created, createdBefore);
  layout.sampleOffsets = eight.data(), layout.groupPixels = 8;
  ConversionParams fresh = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  fresh.yuvLayout = &layout;
  const V expected = Decoded(Make(CSP_YUV, CSP_RGB, &fresh), src, 8, 4);
  std::fill(eight.begin(), eight.end(), -7);
  EXPECT_EQ(Decoded(h, src, 8, 4), expected);
  EXPECT_EQ(h->yuvLayout->groupPixels, 8);

  // Other fields follow the mask; a layout that would read more offsets than the
  // handle holds, with no new offsets given, is refused and changes nothing.
  YuvLayout steps{QCLR_YUV_LAYOUT_SIZE, 1 | 2 | 4 | 8 | 64, 4, 2, 4, 2, nullptr, 0, 1, 0};
  p.yuvLayout = &steps;
  ASSERT_EQ(Set(h, p), CLR_OK);  // 8 + 2 + 2 offsets: the first 12 of the 16
  const YuvLayout& l = *h->yuvLayout;
  EXPECT_EQ((std::vector{l.uStepX, l.uStepY, l.vStepX, l.vStepY, l.groupPixels, l.noOffsets}),
            (std::vector{4, 2, 4, 2, 8, 1}));
  const V before = RecordBytes(h);
  const std::vector<int32_t> offsetsBefore(l.sampleOffsets, l.sampleOffsets + 12);
  YuvLayout bigger{QCLR_YUV_LAYOUT_SIZE, 32, 0, 0, 0, 0, nullptr, 16, 0, 0};
  p.yuvLayout = &bigger;
  EXPECT_EQ(Set(h, p), CLR_ERR_PARAM);
  EXPECT_EQ(RecordBytes(h), before);
  EXPECT_EQ(std::vector<int32_t>(l.sampleOffsets, l.sampleOffsets + 12), offsetsBefore);

  // A failed allocation of the new array leaves the handle as it was.
  std::iota(eight.begin(), eight.end(), 0);
  change.mask = 16 | 32;
  p.yuvLayout = &change;
  SetAllocationFailure(0);
  EXPECT_EQ(Set(h, p), CLR_ERR_NOMEM);
  SetAllocationFailure(-1);
  EXPECT_EQ(RecordBytes(h), before);
  EXPECT_EQ(std::vector<int32_t>(l.sampleOffsets, l.sampleOffsets + 12), offsetsBefore);
}

// The parameter record and each option record it names must be as long as their
// kind, as at creation; a record is refused before anything past its structSize is
// read (the records here end where their structSize says), and changes nothing.
TEST(SetConversionParams, ChecksRecordSizes) {
  const auto words = [](std::initializer_list<uint32_t> w) {
    auto block = std::make_unique<uint32_t[]>(w.size());
    std::copy(w.begin(), w.end(), block.get());
    return block;
  };
  const auto shortParams = words({8, 1}), shortRecord = words({8, 0xFFFFFFFF}), cmyk = words({8, 300});
  LabOptions lab = test::kDefaultLabEncoding;
  ConversionParams withLab = Params(METHOD_BUILTIN, METHOD_BUILTIN), longer = Params(METHOD_BUILTIN, 1);
  withLab.labOptions = &lab;
  longer.structSize = QCLR_CONVERSION_PARAMS_SIZE + 4;
  ConversionParams noMask = Params(METHOD_BUILTIN, 16), shortYuv = Params(METHOD_BUILTIN, 32),
                   shortLab = Params(METHOD_BUILTIN, 64);
  noMask.cmykOptions = reinterpret_cast<CmykOptions*>(cmyk.get());
  shortYuv.yuvLayout = reinterpret_cast<YuvLayout*>(shortRecord.get());
  shortLab.labOptions = reinterpret_cast<LabOptions*>(shortRecord.get());
  const struct {
    const char* what;
    int32_t src, dst;
    ConversionParams* init;
    const ConversionParams* change;
  } cases[] = {
      {"parameters of 8 bytes", CSP_CMYK, CSP_RGB, nullptr, reinterpret_cast<const ConversionParams*>(shortParams.get())},
      {"parameters 4 bytes too long", CSP_CMYK, CSP_RGB, nullptr, &longer},
      {"CMYK options without the mask", CSP_CMYK, CSP_RGB, nullptr, &noMask},
      {"YUV layout of 8 bytes", CSP_YUV, CSP_BGR, nullptr, &shortYuv},
      {"Lab options of 8 bytes", CSP_LAB, CSP_RGB, &withLab, &shortLab},
  };
  const auto labRecord = [](const Handle& h) {
    const auto* d = reinterpret_cast<const uint8_t*>(h->labDecode);
    return d == nullptr ? V() : V(d, d + sizeof(LabDecodeTable));
  };
  for (const auto& c : cases) {
    const Handle h = Make(c.src, c.dst, c.init);
    const V before = RecordBytes(h), labBefore = labRecord(h);
    EXPECT_EQ(Q_ClrSetConversionParams(h.get(), c.change), CLR_ERR_STRUCT_SIZE) << c.what;
    EXPECT_EQ(RecordBytes(h), before) << c.what;
    EXPECT_EQ(labRecord(h), labBefore) << c.what;
  }
}

// New white points and profile files convert like handles made with them. Bit 2 builds
// the custom transform whatever was prepared (a leak unless freeing releases it).
TEST(SetConversionParams, RebuildsTransforms) {
  test::ProfileFiles files;
  const std::string rgbCopy = files.dir.Write("rgb2.icc", test::ResourceCopy("ICM", 105));
  const V src = test::RandomBytes(12 * 3 * 3, 1);
  WhitePoint white{};
  // By chromaticity and by temperature, for each transform.
  for (const auto& [w, method] : {std::pair{WhitePoint{0, 0, 0.3127, 0.329}, METHOD_ICC},
                                  {WhitePoint{65, 0, 0, 0}, METHOD_CUSTOM_ICC}}) {
    SCOPED_TRACE(method);
    ConversionParams p = Params(method, static_cast<uint32_t>(method));
    SetName(p.srcProfileName, files.rgb);
    SetName(p.dstProfileName, files.cmyk);
    const Handle h = Make(CSP_RGB, CSP_CMYK, &p);
    white = w, p.whitePoint = &white;
    SetName(p.srcProfileName, rgbCopy);
    const Handle ref = Make(CSP_RGB, CSP_CMYK, &p);
    p.flags = method == METHOD_ICC ? 4 | 2 : 4;
    ASSERT_EQ(Set(h, p), CLR_OK);
    V out(12 * 3 * 4, 0x5A), expected(12 * 3 * 4, 0x5A);
    ASSERT_EQ(Q_ClrConvert(h.get(), src.data(), out.data(), 12, 3, 0, 0), CLR_OK);
    ASSERT_EQ(Q_ClrConvert(ref.get(), src.data(), expected.data(), 12, 3, 0, 0), CLR_OK);
    EXPECT_EQ(out, expected);
    EXPECT_STREQ(h->srcProfileName, (p.flags & 2 ? rgbCopy : files.rgb).c_str());
    EXPECT_NE(h->customIccTransform, nullptr);
  }
  ConversionParams p = Params(METHOD_ICC, METHOD_ICC);
  const Handle twoStep = Make(CSP_CMYK, CSP_LAB, &p);  // converts by the formulas: no transform
  p.flags = 2 | 4, p.whitePoint = &white;
  SetName(p.srcProfileName, files.cmyk);
  SetName(p.dstProfileName, files.lab);
  ASSERT_EQ(Set(twoStep, p), CLR_OK);
  EXPECT_EQ(std::tuple(twoStep->iccTransform, twoStep->customIccTransform), std::tuple(nullptr, nullptr));
}

TEST(SetConversionParams, TableFiles) {
  test::ScratchDir dir;
  const V table = test::ResourceCopy("ET", 113);
  const std::string good = dir.Write("lab.tif", test::MinimalTableTiff(table, 190));
  const std::string rowShort = dir.Write("short.tif", test::MinimalTableTiff(V(190 * 189 * 3), 190));
  ConversionParams p = Params(METHOD_BUILTIN_TABLES, METHOD_BUILTIN_TABLES);
  const Handle h = Make(CSP_BGR, CSP_LAB, &p);
  p = Params(METHOD_CUSTOM_TABLES, 8 | 1);  // not prepared: the method group fails first
  SetName(p.tableFileName, good);
  EXPECT_EQ(Set(h, p), CLR_ERR_METHOD);
  EXPECT_EQ(h->customTable, nullptr);
  p.flags = 8;  // BGR to Lab takes the 108300 bytes of RGB to Lab
  ASSERT_EQ(Set(h, p), CLR_OK);
  ASSERT_NE(h->customTable, nullptr);
  EXPECT_EQ(V(h->customTable, h->customTable + 108300), table);
  EXPECT_STREQ(h->tableFileName, good.c_str());

  h->method = METHOD_CUSTOM_TABLES;  // bit 4 then changes nothing
  const V before = RecordBytes(h);
  EXPECT_EQ(Set(h, Params(METHOD_BUILTIN, 4)), CLR_OK);
  EXPECT_EQ(RecordBytes(h), before);

  // A refused file is not taken half read: the handle keeps the table it had, and
  // its name. (The table was once dropped, leaving the handle without one.)
  SetName(p.tableFileName, rowShort);
  EXPECT_EQ(Set(h, p), CLR_ERR_TABLE_FORMAT);
  EXPECT_EQ(RecordBytes(h), before);
  EXPECT_EQ(V(h->customTable, h->customTable + 108300), table);
}

TEST(SetConversionParams, MethodsAndFailuresKeepEarlierGroups) {
  // A refused group: the groups before it stay applied.
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 300, 1};
  LabOptions lab = test::kDefaultLabEncoding;
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN | METHOD_ICC);
  const Handle ink = Make(CSP_CMYK, CSP_RGB, &p);
  p = Params(METHOD_ICC, 1 | 16 | 64);
  p.cmykOptions = &cmyk, p.labOptions = &lab;
  EXPECT_EQ(Set(ink, p), CLR_ERR_METHOD);
  ASSERT_NE(ink->cmykOptions, nullptr);
  EXPECT_EQ(std::tuple(ink->method, ink->cmykOptions->value), std::tuple(METHOD_ICC, 300));
  // Only the five method values can become active; the handle keeps its method.
  for (const int32_t method : {0, 3, -1, 999, int32_t{METHOD_AUTO}, METHOD_ICC | 0x40}) {
    EXPECT_EQ(Set(ink, Params(method, 1)), CLR_ERR_METHOD) << method;
    EXPECT_EQ(ink->method, METHOD_ICC) << method;
  }

  // A failed allocation releases what this call created, and only that.
  test::ScratchDir dir;
  const std::string table = dir.Write("t.tif", test::MinimalTableTiff(test::ResourceCopy("ET", 112), 190));
  for (bool hadDecode : {false, true}) {
    SCOPED_TRACE(hadDecode ? "decode record made at creation" : "no decode record");
    ConversionParams init = Params(METHOD_BUILTIN, METHOD_BUILTIN);
    init.labOptions = hadDecode ? &lab : nullptr;
    const Handle h = Make(CSP_LAB, CSP_RGB, &init);
    LabOptions change = test::LabEncoding(0, 90, 0, 0, 0, 0);
    change.mask = 2;
    p = Params(METHOD_BUILTIN, 64 | 8);
    p.labOptions = &change;
    SetName(p.tableFileName, table);
    int32_t status = CLR_ERR_NOMEM;
    for (long n = 0; n < 10 && status != CLR_OK; ++n) {
      SetAllocationFailure(n);
      status = Set(h, p);
      SetAllocationFailure(-1);
      // A record from before the call stays, with its change; a new one goes.
      const bool kept = h->labDecode != nullptr ? hadDecode && h->labDecode->lRange == 90 : !hadDecode;
      EXPECT_TRUE(status == CLR_OK || (status == CLR_ERR_NOMEM && h->customTable == nullptr && kept)) << n;
    }
    EXPECT_NE(h->customTable, nullptr);
  }
}

// Every allocation of a change may fail: the call reports it, nothing leaks, and
// the group that failed leaves the handle as it found it (its transform or table
// was once deleted before the new one was built, leaving the handle without one).
TEST(SetConversionParams, EveryFailedAllocationKeepsTheHandle) {
  test::ProfileFiles files;
  V inverted = test::ResourceCopy("ET", 111);
  for (uint8_t& b : inverted) b = static_cast<uint8_t>(255 - b);
  const std::string table = files.dir.Write("t.tif", test::MinimalTableTiff(test::ResourceCopy("ET", 111), 289));
  const std::string otherTable = files.dir.Write("u.tif", test::MinimalTableTiff(inverted, 289));
  int32_t yuy2[] = {0, 2, 1, 3}, swapped[] = {1, 3, 0, 2};
  YuvLayout yuv{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, yuy2, 2, 0, 0};
  YuvLayout newOffsets = yuv;
  newOffsets.mask = 16, newOffsets.sampleOffsets = swapped;
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 300, 1};
  LabOptions lab = test::kDefaultLabEncoding;
  WhitePoint d65{65, 0, 0, 0}, chromaticity{0, 0, 0.31, 0.33};

  const struct Case {
    const char* what;
    int32_t src, dst, method;
    uint32_t prepared;  // 0: a handle made without parameters
    std::function<void(ConversionParams&)> initEdit, change;
    bool singleGroup;  // the failed group is the whole change: the handle stays as it was
    bool changesBytes;
  } cases[] = {
      {"method", CSP_CMYK, CSP_RGB, METHOD_BUILTIN, METHOD_BUILTIN | METHOD_BUILTIN_TABLES, nullptr,
       [](auto& p) { p.flags = 1, p.method = METHOD_BUILTIN_TABLES; }, true, true},
      {"CMYK options, first copy", CSP_RGB, CSP_CMYK, METHOD_BUILTIN, METHOD_BUILTIN, nullptr,
       [&](auto& p) { p.flags = 16, p.cmykOptions = &cmyk; }, true, true},
      {"YUV layout, first copy", CSP_YUV, CSP_RGB, METHOD_BUILTIN, METHOD_BUILTIN, nullptr,
       [&](auto& p) { p.flags = 32, p.yuvLayout = &yuv; }, true, true},
      {"YUV offsets", CSP_YUV, CSP_BGR, METHOD_BUILTIN, METHOD_BUILTIN, [&](auto& p) { p.yuvLayout = &yuv; },
       [&](auto& p) { p.flags = 32, p.yuvLayout = &newOffsets; }, true, true},
      {"Lab encoding, first record", CSP_LAB, CSP_RGB, METHOD_BUILTIN, METHOD_BUILTIN, nullptr,
       [&](auto& p) { p.flags = 64, p.labOptions = &lab; }, true, true},
      {"white point, built-in profiles", CSP_RGB, CSP_CMYK, METHOD_ICC, METHOD_ICC, nullptr,
       [&](auto& p) { p.flags = 4, p.whitePoint = &d65; }, true, true},
      {"white point, first copy", CSP_CMY, CSP_RGB, METHOD_BUILTIN, 0, nullptr,
       [&](auto& p) { p.flags = 4, p.whitePoint = &chromaticity; }, true, false},
      {"white point, profile files", CSP_RGB, CSP_CMYK, METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC, nullptr,
       [&](auto& p) { p.flags = 4, p.whitePoint = &chromaticity; }, true, true},
      {"profile files", CSP_CMYK, CSP_BGR, METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC, nullptr,
       [&](auto& p) { p.flags = 2; }, true, false},
      {"table file", CSP_CMYK, CSP_RGB, METHOD_CUSTOM_TABLES, METHOD_CUSTOM_TABLES, nullptr,
       [&](auto& p) { p.flags = 8, SetName(p.tableFileName, otherTable); }, true, true},
      {"method, CMYK options and table file", CSP_CMYK, CSP_RGB, METHOD_BUILTIN, METHOD_BUILTIN | METHOD_CUSTOM_TABLES,
       nullptr,
       [&](auto& p) {
         p.flags = 1 | 16 | 8, p.method = METHOD_CUSTOM_TABLES, p.cmykOptions = &cmyk;
         SetName(p.tableFileName, otherTable);
       },
       false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionParams init = Params(c.method, c.prepared);
    const auto profileOf = [&files](int32_t space) { return space == CSP_CMYK ? files.cmyk : files.rgb; };
    SetName(init.srcProfileName, profileOf(c.src));
    SetName(init.dstProfileName, profileOf(c.dst));
    SetName(init.tableFileName, table);
    if (c.initEdit) c.initEdit(init);
    ConversionParams change = Params(0, 0);
    std::memcpy(change.srcProfileName, init.srcProfileName, sizeof change.srcProfileName);
    std::memcpy(change.dstProfileName, init.dstProfileName, sizeof change.dstProfileName);
    c.change(change);

    const int live = test::LiveHandles();
    test::Converted before{}, after{};
    V record;
    test::HandleGuard g;  // a new handle only when the last run changed it
    const test::AllocationWalk walk = test::WalkAllocationFailures([&](test::AllocationHook& hook) {
      if (g.h == nullptr) {
        EXPECT_EQ(Q_ClrInit(&g.h, c.src, c.dst, c.prepared != 0 ? &init : nullptr), CLR_OK);
        before = test::ConvertSample(g.h, c.src, c.dst);
        record = RecordBytes(g.h);
      }
      const int32_t status = hook.Run([&] { return Q_ClrSetConversionParams(g.h, &change); });
      if (!hook.Failed()) {
        after = test::ConvertSample(g.h, c.src, c.dst);
      } else if (status == CLR_OK) {  // an allocation that only speeds conversions up may fail
        EXPECT_EQ(test::ConvertSample(g.h, c.src, c.dst), after);
      } else if (c.singleGroup) {
        EXPECT_EQ(RecordBytes(g.h), record);
        EXPECT_EQ(test::ConvertSample(g.h, c.src, c.dst), before);
      } else {  // whatever the failure left, the same change succeeds afterwards
        EXPECT_EQ(Q_ClrSetConversionParams(g.h, &change), CLR_OK);
        EXPECT_EQ(test::ConvertSample(g.h, c.src, c.dst), after);
      }
      EXPECT_EQ(Q_ClrIsValid(g.h), CLR_OK);
      EXPECT_EQ(test::LiveHandles(), live + 1);
      if (!hook.Failed() || status == CLR_OK || !c.singleGroup) {
        Q_ClrFree(g.h);
        g.h = nullptr;
      }
      return status;
    });
    if (g.h != nullptr) Q_ClrFree(g.h), g.h = nullptr;
    EXPECT_EQ(test::LiveHandles(), live);
    EXPECT_EQ(before.status, CLR_OK);
    EXPECT_EQ(after.status, CLR_OK);
    EXPECT_EQ(before != after, c.changesBytes);
    // Every failed allocation fails the change with CLR_ERR_NOMEM, but those of the
    // tables the fast device-link rows use, which leave the definition's path.
    int succeeded = 0;
    for (const int32_t status : walk.statuses) {
      succeeded += status == CLR_OK;
      EXPECT_TRUE(status == CLR_OK || status == CLR_ERR_NOMEM) << status;
    }
    EXPECT_LE(succeeded, 2);  // one set of link tables per transform built
    if (change.flags != 1) {  // only the method switch allocates nothing
      EXPECT_GT(walk.allocations, 0);
    }
  }
}

}  // namespace
}  // namespace qclr
