#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "handle/clr_handle.h"
#include "icc/pixel_format.h"
#include "qclr/qclr.h"
#include "support/allocation_walk.h"
#include "support/handle_fixtures.h"

namespace qclr {
namespace {

using test::HandleGuard;
using test::Params;
using test::SetName;

int32_t kYuy2Offsets[] = {0, 2, 1, 3};  // Y0 Y1 U V in a group of two pixels
const YuvLayout kYuy2{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, kYuy2Offsets, 2, 0, 0};

// Every case gives all option records; each is looked at only for the handle's spaces.
// (Equal spaces without bit 4 of flags take a shortcut that looks at nothing.)
TEST(HandleInit, RefusalsLeaveNothingBehind) {
  CmykOptions cmyk;
  LabOptions lab;
  YuvLayout yuv;
  WhitePoint white;
  const std::string longName = "/nonexistent/" + std::string(QCLR_FILE_NAME_SIZE, 'a');
  const auto table = [&](auto& p, size_t n) { p.flags |= 16, SetName(p.tableFileName, longName.substr(0, n)); };
  const auto profiles = [&](ConversionParams& p, const std::string& src, const std::string& dst) {
    p.method = p.flags = METHOD_CUSTOM_ICC, SetName(p.srcProfileName, src), SetName(p.dstProfileName, dst);
  };
  const auto badSize = [](ConversionParams& p) { p.structSize = 811; };
  const struct {
    const char* what;
    int32_t src, dst;
    std::function<void(ConversionParams&)> edit;
    int32_t status;
    bool beforeAllocating = false;  // refused before anything is allocated
  } cases[] = {
      {"RGB to BGR", CSP_RGB, CSP_BGR, nullptr, CLR_ERR_COLORSPACE, true},
      {"BGR to RGB, before the record size", CSP_BGR, CSP_RGB, badSize, CLR_ERR_COLORSPACE, true},
      {"source 16", 16, CSP_RGB, nullptr, CLR_ERR_COLORSPACE, true},
      {"destination 129", CSP_RGB, 129, nullptr, CLR_ERR_COLORSPACE, true},
      {"structSize 811", CSP_CMYK, CSP_RGB, badSize, CLR_ERR_STRUCT_SIZE, true},
      {"structSize before the codes", 16, CSP_RGB, badSize, CLR_ERR_STRUCT_SIZE, true},
      {"same space, bit 4: validated", CSP_LAB, CSP_LAB, [](auto& p) { p.flags = 1 | 4; }, CLR_ERR_FILE_NAME},
      {"same space, structSize 811", CSP_LAB, CSP_LAB, badSize, CLR_ERR_STRUCT_SIZE, true},
      {"same code 200, bit 4", 200, 200, [](auto& p) { p.flags = 1 | 4; }, CLR_ERR_COLORSPACE, true},
      {"tables, ICC prepared", CSP_CMYK, CSP_RGB, [](auto& p) { p.method = METHOD_BUILTIN_TABLES, p.flags = 2; },
       CLR_ERR_METHOD},
      {"tableBits 0", CSP_CMYK, CSP_RGB, [](auto& p) { p.method = p.flags = METHOD_BUILTIN_TABLES, p.tableBits = 0; },
       CLR_ERR_PARAM},
      {"no method bit", CSP_CMYK, CSP_RGB, [](auto& p) { p.flags = 64; }, CLR_ERR_METHOD},
      {"method 3, flags 3", CSP_CMYK, CSP_RGB, [](auto& p) { p.method = p.flags = 3; }, CLR_ERR_METHOD},
      {"method -1, flags 31", CSP_CMYK, CSP_RGB, [](auto& p) { p.method = -1, p.flags = 31; }, CLR_ERR_METHOD},
      {"method 0x41, flags 0x41", CSP_CMYK, CSP_RGB, [](auto& p) { p.method = p.flags = 0x41; }, CLR_ERR_METHOD},
      {"method 32, flags 33: no automatic choice", CSP_CMYK, CSP_RGB, [](auto& p) { p.method = 32, p.flags = 33; },
       CLR_ERR_METHOD},
      {"built-in ICC, HSV", CSP_HSV, CSP_RGB, [](auto& p) { p.method = p.flags = METHOD_ICC; }, CLR_ERR_COLORSPACE},
      {"empty dstProfileName", CSP_CMYK, CSP_RGB, [&](auto& p) { profiles(p, "x.icc", ""); }, CLR_ERR_FILE_NAME},
      {"unterminated source name", CSP_CMYK, CSP_RGB, [&](auto& p) { profiles(p, longName, "x"); }, CLR_ERR_FILE_NAME},
      {"empty tableFileName", CSP_CMYK, CSP_RGB, [&](auto& p) { table(p, 0); }, CLR_ERR_FILE_NAME},
      {"tableFileName of 260", CSP_CMYK, CSP_RGB, [&](auto& p) { table(p, 260); }, CLR_ERR_FILE_NAME},
      {"tableFileName of 259 is opened", CSP_CMYK, CSP_RGB, [&](auto& p) { table(p, 259); }, 3},
      {"cmykOptions structSize 10", CSP_CMYK, CSP_RGB, [&](auto&) { cmyk.structSize = 10; }, CLR_ERR_STRUCT_SIZE},
      {"black generation -1", CSP_RGB, CSP_CMYK, [&](auto&) { cmyk.value = -1; }, CLR_ERR_PARAM},
      {"labOptions structSize", CSP_LAB, CSP_RGB, [&](auto&) { lab.structSize = 31; }, CLR_ERR_STRUCT_SIZE},
      {"Lab range 0", CSP_RGB, CSP_LAB, [&](auto&) { lab.aRange = 0; }, CLR_ERR_PARAM},
      {"yuvLayout structSize", CSP_YUV, CSP_RGB, [&](auto&) { yuv.structSize = 36; }, CLR_ERR_STRUCT_SIZE},
      {"YUV step 0", CSP_YUV, CSP_RGB, [&](auto&) { yuv.uStepX = 0; }, CLR_ERR_PARAM},
      {"white point x + y > 1", CSP_CMYK, CSP_RGB, [&](auto&) { white.x = 0.7; }, CLR_ERR_PARAM},
      {"white point y 0", CSP_CMYK, CSP_RGB, [&](auto&) { white.y = 0; }, CLR_ERR_PARAM},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    cmyk = {QCLR_CMYK_OPTIONS_SIZE, 1000, 0}, lab = {QCLR_LAB_OPTIONS_SIZE, 0, 0, 100, 128, 170, 96, 200};
    yuv = kYuy2, white = {0, 0, 0.3, 0.4};
    ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
    p.cmykOptions = &cmyk, p.labOptions = &lab, p.yuvLayout = &yuv, p.whitePoint = &white;
    if (c.edit) c.edit(p);
    const int before = test::LiveHandles();
    ClrHandle dummy{}, *out = &dummy;
    test::AllocationProbe probe;  // any allocation fails the call with -3
    if (!c.beforeAllocating) SetAllocationFailure(-1);
    EXPECT_EQ(Q_ClrInit(&out, c.src, c.dst, &p), c.status);
    EXPECT_TRUE(!c.beforeAllocating || probe.Untouched());
    EXPECT_EQ(out, &dummy);  // not written on failure
    EXPECT_EQ(test::LiveHandles(), before);
  }
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  EXPECT_EQ(Q_ClrInit(nullptr, CSP_HSV, CSP_RGB, &p), CLR_ERR_PARAM);
  // A record that ends after its 8-byte structSize: the same-space shortcut once
  // read flags 800 bytes past it.
  const auto shortRecord = std::make_unique<uint32_t[]>(2);
  shortRecord[0] = 8;
  ClrHandle* h = nullptr;
  EXPECT_EQ(Q_ClrInit(&h, CSP_RGB, CSP_RGB, reinterpret_cast<ConversionParams*>(shortRecord.get())),
            CLR_ERR_STRUCT_SIZE);
  EXPECT_EQ(h, nullptr);
}

TEST(HandleInit, PreparesEachRequestedMethod) {
  test::ProfileFiles files;
  const struct {
    int32_t src, dst, method;
    uint32_t flags;
    int32_t pathKind;
    uint32_t srcFormat, dstFormat;
    bool icc, customIcc, ycc;
    int32_t table;  // the "ET" resource of the built-in table, 0 for none
  } cases[] = {
      {CSP_HSI, CSP_RGB, 1, 1, 1, 0, 0, false, false, false, 0},  // code 128
      {CSP_CMYK, CSP_RGB, 8, 2 | 8, 1, kFormatCmyk8, kFormatRgb8, true, false, false, 111},
      {CSP_BGR, CSP_LAB, 8, 8, 1, 0, 0, false, false, false, 113},
      {CSP_LAB, CSP_BGR, 8, 8, 1, 0, 0, false, false, false, 112},
      // A YCCK side converts through the CMYK profile; only a YCCK source decodes.
      {CSP_YCCK, CSP_RGB, 2, 2, 1, kFormatCmyk8, kFormatRgb8, true, false, true, 0},
      {CSP_BGR, CSP_YCCK, 2, 2, 1, kFormatBgr8, kFormatCmyk8, true, false, false, 0},
      {CSP_YCCK, CSP_BGR, 4, 4, 1, kFormatCmyk8, kFormatBgr8, false, true, true, 0},
      {CSP_CMYK, CSP_LAB, 2, 1 | 2, 2, CSP_CMYK, CSP_LAB, false, false, false, 0},  // two steps: no transform
      {CSP_HSV, CSP_RGB, 1, 1 | 8 | 16, 1, 0, 0, false, false, false, 0},  // no table for the pair: the name alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.src << " to " << c.dst << ", flags " << c.flags);
    ConversionParams p = Params(c.method, c.flags);
    SetName(p.srcProfileName, files.cmyk);
    SetName(p.dstProfileName, files.rgb);
    SetName(p.tableFileName, "no-such-table.tif");
    HandleGuard g;
    ASSERT_EQ(Q_ClrInit(&g.h, c.src, c.dst, &p), CLR_OK);
    const ClrHandle& h = *g.h;
    EXPECT_EQ(std::tuple(h.method, h.methodMask, h.pathKind, h.srcFormat, h.dstFormat),
              std::tuple(c.method, c.flags, c.pathKind, c.srcFormat, c.dstFormat));
    EXPECT_EQ(std::tuple(h.iccTransform != nullptr, h.customIccTransform != nullptr, h.yccTables != nullptr),
              std::tuple(c.icc, c.customIcc, c.ycc));
    platform::ResourceBytes table{};
    ASSERT_EQ(platform::FindLibraryResource("ET", c.table, &table) == 0, c.table != 0);
    EXPECT_EQ(std::tuple(h.builtinTable, h.customTable), std::tuple(table.data, nullptr));
    EXPECT_STREQ(h.tableFileName, c.flags & 16 ? "no-such-table.tif" : "");
    EXPECT_TRUE(h.whitePoint != nullptr && h.whitePoint->kind == 50u);  // the default temperature
  }
  HandleGuard bare, same, ink;  // no parameters: built-in formulas, YCbCr tables for a YCCK source
  ASSERT_EQ(Q_ClrInit(&bare.h, CSP_YCCK, CSP_RGB, nullptr), CLR_OK);
  EXPECT_EQ(std::tuple(bare.h->method, bare.h->whitePoint), std::tuple(METHOD_BUILTIN, nullptr));
  EXPECT_NE(bare.h->yccTables, nullptr);

  // Equal spaces, whatever their codes: a bare handle. Other handles copy the
  // option records of their sides: the caller's may change.
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 1000, 1};
  YuvLayout yuv = kYuy2;
  WhitePoint white{0, 0, 0.3127, 0.3290};
  ConversionParams p = Params(METHOD_BUILTIN, METHOD_BUILTIN);
  p.cmykOptions = &cmyk, p.yuvLayout = &yuv, p.whitePoint = &white;
  ASSERT_EQ(Q_ClrInit(&same.h, 200, 200, &p), CLR_OK);
  EXPECT_EQ(std::tuple(same.h->methodMask, same.h->whitePoint), std::tuple(0u, nullptr));
  ASSERT_EQ(Q_ClrInit(&ink.h, CSP_RGB, CSP_CMYK, &p), CLR_OK);
  cmyk.value = 0, white.x = 0;
  ASSERT_NE(ink.h->cmykOptions, nullptr);
  EXPECT_EQ(std::tuple(ink.h->cmykOptions->value, ink.h->whitePoint->x), std::tuple(1000, 0.3127));
  EXPECT_EQ(ink.h->yuvLayout, nullptr);
}

TEST(HandleInit, AutomaticChoice) {
  const struct {
    int32_t src, dst, status, method;
  } cases[] = {{CSP_CMYK, CSP_RGB, CLR_OK, METHOD_ICC},     {CSP_LAB, CSP_BGR, CLR_OK, METHOD_BUILTIN},
               {CSP_HSV, CSP_CMYK, CLR_OK, METHOD_BUILTIN}, {CSP_YCCK, CSP_RGB, CLR_OK, METHOD_ICC},
               {CSP_YUV, CSP_RGB, CLR_ERR_METHOD, 0},       {CSP_RGB, CSP_HSV, CLR_ERR_METHOD, 0}};
  for (const auto& c : cases) {
    ConversionParams p = Params(METHOD_AUTO, METHOD_AUTO);
    HandleGuard g;
    EXPECT_EQ(Q_ClrInit(&g.h, c.src, c.dst, &p), c.status) << c.src << " to " << c.dst;
    // The record is restored on success; the choice is never made otherwise.
    EXPECT_EQ(std::tuple(p.method, p.flags), std::tuple(METHOD_AUTO, uint32_t{METHOD_AUTO}));
    if (g.h != nullptr) {
      EXPECT_EQ(std::tuple(g.h->method, g.h->methodMask), std::tuple(c.method, uint32_t(c.method)));
    }
  }
  // A failure after the choice leaves it in the record.
  CmykOptions wrong{10, 175, 0};
  ConversionParams p = Params(METHOD_AUTO, METHOD_AUTO);
  p.cmykOptions = &wrong;
  ClrHandle* h = nullptr;
  EXPECT_EQ(Q_ClrInit(&h, CSP_CMYK, CSP_RGB, &p), CLR_ERR_STRUCT_SIZE);
  EXPECT_EQ(std::tuple(p.method, p.flags), std::tuple(METHOD_ICC, uint32_t{METHOD_ICC}));
}

#ifndef _WIN32  // FIFOs and /dev are POSIX
// A FIFO or a device named as a table or profile file is refused with the status
// of a file that does not open, and at once (opening a FIFO waited for a writer).
TEST(HandleInit, RefusesFilesThatAreNotRegular) {
  test::ProfileFiles files;
  const std::string fifo = files.dir.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& name : {fifo, std::string("/dev/zero")}) {
    SCOPED_TRACE(name);
    ConversionParams table = Params(METHOD_CUSTOM_TABLES, METHOD_CUSTOM_TABLES);
    SetName(table.tableFileName, name);
    ConversionParams profiles = Params(METHOD_CUSTOM_ICC, METHOD_CUSTOM_ICC);
    SetName(profiles.srcProfileName, files.rgb);
    SetName(profiles.dstProfileName, name);
    const int before = test::LiveHandles();
    ClrHandle* h = nullptr;
    EXPECT_EQ(test::CallNamingFifo(fifo, [&] { return Q_ClrInit(&h, CSP_CMYK, CSP_RGB, &table); }),
              platform::kErrorAccessDenied);
    EXPECT_EQ(test::CallNamingFifo(fifo, [&] { return Q_ClrInit(&h, CSP_RGB, CSP_LAB, &profiles); }),
              CLR_ERR_PROFILE_OPEN);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(test::LiveHandles(), before);
  }
}
#endif

// Each allocation made to fail in turn: registry and caller's pointer stay as they were.
TEST(HandleInit, EveryFailedAllocationReleasesEverything) {
  test::ProfileFiles files;
  const std::string labTable = files.dir.Write("l.tif", test::MinimalTableTiff(test::ResourceCopy("ET", 113), 190));
  const std::string cmykTable = files.dir.Write("c.tif", test::MinimalTableTiff(test::ResourceCopy("ET", 111), 289));
  WhitePoint white{0, 0, 0.3457, 0.3585};
  LabOptions lab{QCLR_LAB_OPTIONS_SIZE, 0, 0, 100, 128, 170, 96, 200};
  CmykOptions cmyk{QCLR_CMYK_OPTIONS_SIZE, 250, 0};
  YuvLayout yuv = kYuy2;
  const struct {
    int32_t src, dst, method;
    uint32_t flags;
    const std::string* table;  // null: no parameters at all
  } cases[] = {
      {CSP_RGB, CSP_LAB, METHOD_CUSTOM_ICC, 1 | 4 | 8 | 16, &labTable},  // Lab records, custom profiles, tables
      {CSP_CMYK, CSP_BGR, METHOD_ICC, 1 | 2 | 8 | 16, &cmykTable},       // CMYK options, built-in profiles
      {CSP_YUV, CSP_BGR, METHOD_BUILTIN, 1, &labTable},
      {CSP_YCCK, CSP_BGR, METHOD_BUILTIN, 1, nullptr},
      {CSP_LAB, CSP_LAB, METHOD_BUILTIN, 1, nullptr},  // same-space shortcut
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.src << " to " << c.dst);
    const int before = test::LiveHandles();
    const test::AllocationWalk walk = test::WalkAllocationFailures([&](test::AllocationHook& hook) {
      ConversionParams p = Params(c.method, c.flags);
      p.whitePoint = &white, p.labOptions = &lab, p.cmykOptions = &cmyk, p.yuvLayout = &yuv;
      SetName(p.srcProfileName, files.rgb);
      SetName(p.dstProfileName, files.lab);
      if (c.table != nullptr) SetName(p.tableFileName, *c.table);
      ClrHandle dummy{}, *out = &dummy;
      const int32_t status =
          hook.Run([&] { return Q_ClrInit(&out, c.src, c.dst, c.table != nullptr ? &p : nullptr); });
      EXPECT_EQ(test::LiveHandles(), before + (status == CLR_OK ? 1 : 0));
      if (status == CLR_OK) {
        EXPECT_EQ(Q_ClrFree(out), CLR_OK);
      } else {
        EXPECT_EQ(status, CLR_ERR_NOMEM);
        EXPECT_EQ(out, &dummy);
      }
      return status;
    });
    EXPECT_GT(walk.allocations, 1);
    // Every allocation is needed but the two of a device link's fast-row tables.
    EXPECT_LE(std::count(walk.statuses.begin(), walk.statuses.end(), CLR_OK), 2);
  }
}

}  // namespace
}  // namespace qclr
